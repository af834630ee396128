#pragma once

#include <QString>
#include <QWebEngineScript>

class QWebEnginePage;

// The scripts every pane's documents start with. Each is given both to the profile and to
// the page, and is written to run once however often a document is handed it: neither way
// reaches every document on its own. The profile hands its scripts to the page process as
// the process starts, so they are in place before a pane's first document, where the
// page's own collection reaches the first documents only if the page's frame happened to be
// live when the scripts were added (under load a pane's first page loaded without them);
// but a page process that is started again after a crash gets only the page's own.
namespace pane_scripts {

// Puts `source` in place under `name` for `page`'s documents, replacing a different script
// of that name.
void install(QWebEnginePage& page,
    const QString& name,
    const QString& source,
    QWebEngineScript::ScriptWorldId world,
    bool subFrames);

} // namespace pane_scripts
