#include "updater/windows/update_rows_model.h"

namespace {

struct Column
{
    const char* header;
    Qt::Alignment alignment;
};

// Item text, version, size, progress and the hidden announced size.
constexpr Column columns[UpdateRows::columnCount] = {
    {"更新文件", Qt::AlignLeft},
    {"版本号", Qt::AlignLeft},
    {"文件大小", Qt::AlignRight},
    {"进度", Qt::AlignRight},
    {"", Qt::AlignLeft},
};

} // namespace

UpdateRowsModel::UpdateRowsModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

int UpdateRowsModel::add(const std::string& name, const std::string& ver)
{
    return m_rows.add(name, ver);
}

void UpdateRowsModel::setText(int row, int column, const std::string& text)
{
    m_rows.setText(row, column, text);
    if (row < m_shown) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

void UpdateRowsModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_shown = 0;
    endResetModel();
}

void UpdateRowsModel::show()
{
    if (m_shown >= m_rows.size())
        return;
    beginInsertRows({}, m_shown, m_rows.size() - 1);
    m_shown = m_rows.size();
    endInsertRows();
}

int UpdateRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int UpdateRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : UpdateRows::columnCount;
}

QVariant UpdateRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(m_rows.text(index.row(), index.column()));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns[index.column()].alignment | Qt::AlignVCenter);
    return {};
}

QVariant UpdateRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= UpdateRows::columnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(columns[section].header);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns[section].alignment | Qt::AlignVCenter);
    return {};
}
