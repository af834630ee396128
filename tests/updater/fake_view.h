#pragma once

#include "updater/logic/update_view.h"

#include <array>
#include <string>
#include <vector>

// The updater window's controls as plain values, with the history a test looks back on.
class FakeView : public UpdateView
{
public:
    struct Button
    {
        std::string caption;
        bool enabled = true;
        bool visible = true;
    };

    std::string status = "就绪";
    std::vector<std::string> statusHistory;
    Button update {"更新"};
    Button finish {"完成"};
    bool timerRunning = true;
    std::vector<std::array<std::string, 5>> rows;
    std::vector<std::string> progressCells; // every text column 3 was given
    bool progressVisible = false;
    std::vector<int> progressValues;
    int eventsProcessed = 0;
    bool closed = false;

    void setStatusText(const std::string& text) override
    {
        status = text;
        statusHistory.push_back(text);
    }
    void setButtonCaption(UpdaterButton button, const std::string& caption) override
    {
        which(button).caption = caption;
    }
    void setButtonEnabled(UpdaterButton button, bool enabled) override { which(button).enabled = enabled; }
    void setButtonVisible(UpdaterButton button, bool visible) override { which(button).visible = visible; }
    void stopListTimer() override { timerRunning = false; }
    void clearRows() override { rows.clear(); }
    int addRow(const std::string& name, const std::string& ver) override
    {
        rows.push_back({name, ver, "", "", ""});
        return static_cast<int>(rows.size()) - 1;
    }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::string cellText(int row, int column) const override { return rows.at(row).at(column); }
    void setCellText(int row, int column, const std::string& text) override
    {
        rows.at(row).at(column) = text;
        if (column == 3)
            progressCells.push_back(text);
    }
    void setProgressVisible(bool visible) override { progressVisible = visible; }
    void setProgressValue(int value) override { progressValues.push_back(value); }
    void processEvents() override { ++eventsProcessed; }
    void closeWindow() override { closed = true; }

private:
    Button& which(UpdaterButton button) { return button == UpdaterButton::Update ? update : finish; }
};
