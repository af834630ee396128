#pragma once

#include <string>

// A named place of a main window that receives the text of one fetch (a hidden label).
// Its initial text is the failure value callers test for.
class TextHolder
{
public:
    virtual ~TextHolder() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

// A holder with no window behind it.
class PlainTextHolder final : public TextHolder
{
public:
    explicit PlainTextHolder(std::string initial = {})
        : m_text(std::move(initial))
    { }
    std::string text() const override { return m_text; }
    void setText(const std::string& text) override { m_text = text; }

private:
    std::string m_text;
};
