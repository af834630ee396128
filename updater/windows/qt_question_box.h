#pragma once

// Installs the question handler that asks with a real Yes/No box (question icon, No as the
// default button).
void installQtQuestionBox();
