#pragma once

#include "common/logic/text_holder.h"

#include <QLabel>

// A hidden label of a main window that receives the text of one fetch.
class LabelHolder final : public QLabel, public TextHolder
{
public:
    LabelHolder(const QString& initial, QWidget* parent)
        : QLabel(initial, parent)
    {
        setTextFormat(Qt::PlainText);
        hide();
    }
    std::string text() const override { return QLabel::text().toStdString(); }
    void setText(const std::string& text) override { QLabel::setText(QString::fromStdString(text)); }
};
