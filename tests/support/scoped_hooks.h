#pragma once

#include "common/logic/message_box.h"
#include "platform/program_folder.h"

#include <string>
#include <utility>

// Guards for the process-wide hooks tests set: each restores on destruction, so a failed
// ASSERT that leaves the test early cannot leak its hook into the next test.

// Makes programFolder() answer `folder` for the life of the object, then the real folder.
class ScopedProgramFolder
{
public:
    explicit ScopedProgramFolder(std::string folder) { platform::overrideProgramFolder(std::move(folder)); }
    ~ScopedProgramFolder() { platform::overrideProgramFolder({}); }
    ScopedProgramFolder(const ScopedProgramFolder&) = delete;
    ScopedProgramFolder& operator=(const ScopedProgramFolder&) = delete;
};

// Puts the message box handlers back as they were when the object was made.
class ScopedMessageHandlers
{
public:
    ScopedMessageHandlers()
        : m_plain(message_box::setHandler({}))
        , m_icon(message_box::setIconHandler({}))
        , m_question(message_box::setQuestionHandler({}))
    {
        message_box::setHandler(m_plain);
        message_box::setIconHandler(m_icon);
        message_box::setQuestionHandler(m_question);
    }
    ~ScopedMessageHandlers()
    {
        message_box::setHandler(std::move(m_plain));
        message_box::setIconHandler(std::move(m_icon));
        message_box::setQuestionHandler(std::move(m_question));
    }
    ScopedMessageHandlers(const ScopedMessageHandlers&) = delete;
    ScopedMessageHandlers& operator=(const ScopedMessageHandlers&) = delete;

private:
    message_box::Handler m_plain;
    message_box::IconHandler m_icon;
    message_box::QuestionHandler m_question;
};
