#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

// Local page files of the program folder are served through a URL scheme of our own, so
// that a page shows as a web page whatever its extension (the TV shell's pages end in
// ".ocx") and local text without a declared charset reads as GBK.
namespace local_pages {

inline constexpr char scheme[] = "pfile";

// Registers the scheme; must run before the QApplication is created.
void registerScheme();

// Installs the handler on the default profile (once).
void installHandler();

// The address a pane loads for a local path such as "/opt/x/html/loading.html".
QUrl urlForPath(const QString& path);

// The file path behind an address of the scheme, or an empty text for other addresses.
QString pathForUrl(const QUrl& url);

// The content type to answer for a local file: pages are "text/html" whatever their
// extension, with ";charset=gbk" unless the bytes declare a charset of their own.
QByteArray contentTypeFor(const QString& path, const QByteArray& head);

class Handler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;
};

} // namespace local_pages
