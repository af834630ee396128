#pragma once

// Driving a browser pane's page the way a user and a page script would.

#include "common/windows/BrowserPane.h"
#include "tests/support/qt_test_util.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWebEnginePage>
#include <QWebEngineView>

// Evaluates script in the pane's page and waits for the result.
inline QVariant evaluate(BrowserPane& pane, const QString& script)
{
    QVariant result;
    bool done = false;
    pane.Application()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    waitUntil([&] { return done; });
    return result;
}

// A real right click on the page, through the engine's own input path.
inline void rightClick(BrowserPane& pane, QPoint at)
{
    QWidget* target = pane.view()->focusProxy() ? pane.view()->focusProxy() : pane.view();
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &menu);
}
