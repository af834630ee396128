#pragma once

#include <QString>

// The script every pane injects into every document, in a world of its own. It tells the
// pane what the engine does not: the link the user is activating (so a new-window request
// can be judged by it), frame completions, the kind of document, and navigations to
// addresses of schemes no engine handles (such as "mouse://move|10|5"), which it stops and
// hands over as the exact text. Messages go out as console messages with a marker prefix.
namespace pane_script {

inline constexpr char16_t marker[] = u"\u0001pane|";
// Sent as the href of an element that has none.
inline constexpr char16_t noHref[] = u"\u0002";

inline QString source()
{
    return QStringLiteral(R"JS(
(function () {
    if (window.__paneBridge) return;
    window.__paneBridge = true;
    var marker = '\u0001pane|';
    function send(kind, value) { console.debug(marker + kind + '|' + value); }
    function linkOf(node) {
        for (; node; node = node.parentNode) {
            if (node.nodeType === 1 && (node.tagName === 'A' || node.tagName === 'AREA'))
                return node.hasAttribute('href') ? node.href : '\u0002';
        }
        return '\u0002';
    }
    function reportActive(event) {
        var target = event && event.target && event.target.nodeType === 1 ? event.target : document.activeElement;
        send('href', linkOf(target));
    }
    document.addEventListener('mousedown', reportActive, true);
    document.addEventListener('click', reportActive, true);
    document.addEventListener('focusin', reportActive, true);
    document.addEventListener('keydown', function () { send('href', linkOf(document.activeElement)); }, true);
    if (window.top === window) {
        document.addEventListener('DOMContentLoaded', function () { send('doctype', document.contentType); });
    } else {
        window.addEventListener('load', function () { send('frame-complete', location.href); });
    }
    var handled = /^(https?|pfile|file|about|data|blob|javascript|chrome|qrc):/i;
    if (window.navigation) {
        window.navigation.addEventListener('navigate', function (event) {
            var url = event.destination.url;
            if (handled.test(url)) return;
            if (event.cancelable) event.preventDefault();
            send('navigate', url);
        });
    }
})();
)JS");
}

} // namespace pane_script
