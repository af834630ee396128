#pragma once

#include <string>

enum class UpdaterButton { Update, Finish };

// What the updater's logic needs of its window: the report list, the two buttons, the
// progress bar, the status text, the list timer, event processing and closing. frmUpdate
// implements it over its controls; rows and columns are counted from 0.
class UpdateView
{
public:
    virtual ~UpdateView() = default;

    virtual void setStatusText(const std::string& text) = 0;
    virtual void setButtonCaption(UpdaterButton button, const std::string& caption) = 0;
    virtual void setButtonEnabled(UpdaterButton button, bool enabled) = 0;
    virtual void setButtonVisible(UpdaterButton button, bool visible) = 0;
    virtual void stopListTimer() = 0;

    virtual void clearRows() = 0;
    // Adds a row with the item text and column 1; returns its index.
    virtual int addRow(const std::string& name, const std::string& ver) = 0;
    virtual int rowCount() const = 0;
    virtual std::string cellText(int row, int column) const = 0;
    virtual void setCellText(int row, int column, const std::string& text) = 0;

    virtual void setProgressVisible(bool visible) = 0;
    virtual void setProgressValue(int value) = 0;

    // Lets the window repaint and its timers run while the logic works.
    virtual void processEvents() = 0;
    virtual void closeWindow() = 0;
};
