#include "common/logic/message_box.h"

#include <cstdio>
#include <utility>

namespace message_box {
namespace {

Handler& currentHandler()
{
    static Handler handler;
    return handler;
}

IconHandler& currentIconHandler()
{
    static IconHandler handler;
    return handler;
}

QuestionHandler& currentQuestionHandler()
{
    static QuestionHandler handler;
    return handler;
}

} // namespace

Handler setHandler(Handler handler)
{
    return std::exchange(currentHandler(), std::move(handler));
}

void show(const std::string& caption, const std::string& text)
{
    if (currentHandler())
        currentHandler()(caption, text);
    else
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
}

IconHandler setIconHandler(IconHandler handler)
{
    return std::exchange(currentIconHandler(), std::move(handler));
}

void show(Icon icon, const std::string& caption, const std::string& text)
{
    if (currentIconHandler())
        currentIconHandler()(icon, caption, text);
    else
        show(caption, text);
}

QuestionHandler setQuestionHandler(QuestionHandler handler)
{
    return std::exchange(currentQuestionHandler(), std::move(handler));
}

Answer ask(const std::string& caption, const std::string& text)
{
    if (currentQuestionHandler())
        return currentQuestionHandler()(caption, text);
    std::fprintf(stderr, "[%s] %s (answered No)\n", caption.c_str(), text.c_str());
    return Answer::No;
}

} // namespace message_box
