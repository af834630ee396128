#pragma once

#include <string>
#include <string_view>
#include <vector>

// The texts of the report list's rows, kept compactly: one string per row holding its
// column texts one after another, each ended by a NUL. A list of 100,000 files then costs
// a few megabytes, not the hundred that a widget item per row with a value per cell does.
class UpdateRows
{
public:
    static constexpr int columnCount = 5;

    // Adds a row with the item text and column 1, the other columns empty; its index.
    int add(std::string_view name, std::string_view ver);
    int size() const { return static_cast<int>(m_rows.size()); }
    void clear();

    // The text of a cell; "" outside the rows or columns.
    std::string text(int row, int column) const;
    // A text ends at its first NUL (names from a list never hold one).
    void setText(int row, int column, std::string_view text);

private:
    std::vector<std::string> m_rows;
};
