#pragma once

#include <functional>
#include <string>

// The modal message boxes of the programs (OK button, the program's title as caption).
// The windows layer installs a handler that shows a real box; tests install one that
// records the message, so no modal box ever blocks a test.
namespace message_box {

using Handler = std::function<void(const std::string& caption, const std::string& text)>;

// Replaces the handler; returns the previous one.
Handler setHandler(Handler handler);

// Shows `text` with `caption`. With no handler installed the message goes to stderr.
void show(const std::string& caption, const std::string& text);

// The icon beside a message's text.
enum class Icon { None, Information, Error };
using IconHandler = std::function<void(Icon icon, const std::string& caption, const std::string& text)>;

// Replaces the handler of messages with an icon; returns the previous one.
IconHandler setIconHandler(IconHandler handler);

// Shows `text` with `caption` and `icon`. With no icon handler installed the message goes
// to the plain handler as show(caption, text) does.
void show(Icon icon, const std::string& caption, const std::string& text);

// The Yes/No question (question icon, No as the default button).
enum class Answer { Yes, No };
using QuestionHandler = std::function<Answer(const std::string& caption, const std::string& text)>;

// Replaces the question handler; returns the previous one.
QuestionHandler setQuestionHandler(QuestionHandler handler);

// Asks `text` with `caption`. With no handler installed the question goes to stderr and the
// answer is No, the choice that changes nothing.
Answer ask(const std::string& caption, const std::string& text);

} // namespace message_box
