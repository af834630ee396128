#pragma once

#include "updater/logic/update_rows.h"

#include <QAbstractTableModel>

// The report list's model: the five columns of the list view over the compact rows. Rows
// are stored at once but join the view only when show() is called: the view lays out all
// its rows whenever rows join, so joining them one by one would cost the whole list per row.
class UpdateRowsModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit UpdateRowsModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(UpdateRowsModel)

    const UpdateRows& rows() const { return m_rows; }
    int add(const std::string& name, const std::string& ver);
    void setText(int row, int column, const std::string& text);
    void clear();
    // Lets the rows stored since the last call join the view.
    void show();
    bool hasHiddenRows() const { return m_shown < m_rows.size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    UpdateRows m_rows;
    int m_shown = 0;
};
