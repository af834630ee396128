#include "updater/logic/update_rows.h"

namespace {

// Where a column's text starts in a row's string.
std::size_t columnStart(const std::string& row, int column)
{
    std::size_t at = 0;
    for (int i = 0; i < column; ++i)
        at = row.find('\0', at) + 1;
    return at;
}

std::string_view untilNul(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

} // namespace

int UpdateRows::add(std::string_view name, std::string_view ver)
{
    std::string row;
    name = untilNul(name);
    ver = untilNul(ver);
    row.reserve(name.size() + ver.size() + columnCount);
    row.append(name).push_back('\0');
    row.append(ver).push_back('\0');
    row.append(columnCount - 2, '\0');
    m_rows.push_back(std::move(row));
    return size() - 1;
}

void UpdateRows::clear()
{
    // The rows' memory goes too: a long list read before must not stay held.
    std::vector<std::string>().swap(m_rows);
}

std::string UpdateRows::text(int row, int column) const
{
    if (row < 0 || row >= size() || column < 0 || column >= columnCount)
        return {};
    const std::string& texts = m_rows[static_cast<std::size_t>(row)];
    const std::size_t start = columnStart(texts, column);
    return texts.substr(start, texts.find('\0', start) - start);
}

void UpdateRows::setText(int row, int column, std::string_view text)
{
    if (row < 0 || row >= size() || column < 0 || column >= columnCount)
        return;
    std::string& texts = m_rows[static_cast<std::size_t>(row)];
    const std::size_t start = columnStart(texts, column);
    texts.replace(start, texts.find('\0', start) - start, untilNul(text));
}
