#include "common/windows/pane_scripts.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>

namespace pane_scripts {

namespace {

void put(QWebEngineScriptCollection& scripts, const QWebEngineScript& script)
{
    const QList<QWebEngineScript> present = scripts.find(script.name());
    if (present.size() == 1 && present.front() == script)
        return;
    for (const QWebEngineScript& old : present)
        scripts.remove(old);
    scripts.insert(script);
}

} // namespace

void install(QWebEnginePage& page,
    const QString& name,
    const QString& source,
    QWebEngineScript::ScriptWorldId world,
    bool subFrames)
{
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(world);
    script.setRunsOnSubFrames(subFrames);
    put(*page.profile()->scripts(), script);
    put(page.scripts(), script);
}

} // namespace pane_scripts
