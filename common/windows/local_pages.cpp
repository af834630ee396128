#include "common/windows/local_pages.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace local_pages {

void registerScheme()
{
    QWebEngineUrlScheme local(scheme);
    local.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Remote pages must not read local files; local pages may load their own images.
    local.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(local);
}

void installHandler()
{
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    if (profile->urlSchemeHandler(scheme))
        return;
    profile->installUrlSchemeHandler(scheme, new Handler(profile));
}

QUrl urlForPath(const QString& path)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(scheme));
    url.setPath(QFileInfo(path).absoluteFilePath());
    return url;
}

QString pathForUrl(const QUrl& url)
{
    return url.scheme() == QLatin1String(scheme) ? url.path() : QString();
}

QByteArray contentTypeFor(const QString& path, const QByteArray& head)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    static const QHash<QString, QByteArray> assets = {{QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("png"), "image/png"}, {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"}, {QStringLiteral("bmp"), "image/bmp"},
        {QStringLiteral("ico"), "image/x-icon"}, {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("css"), "text/css"}, {QStringLiteral("js"), "text/javascript"},
        {QStringLiteral("swf"), "application/x-shockwave-flash"}, {QStringLiteral("json"), "application/json"}};
    if (const auto found = assets.constFind(suffix); found != assets.constEnd())
        return found.value();
    // A byte-order mark or a charset declared in the page's head wins; otherwise GBK.
    if (head.startsWith("\xEF\xBB\xBF") || head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return "text/html";
    static const QRegularExpression declared(
        QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?[A-Za-z0-9_\\-]+"), QRegularExpression::CaseInsensitiveOption);
    if (declared.match(QString::fromLatin1(head)).hasMatch())
        return "text/html";
    return "text/html;charset=gbk";
}

void Handler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QString path = pathForUrl(job->requestUrl());
    auto* file = new QFile(path, job);
    if (path.isEmpty() || QFileInfo(path).isDir() || !file->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QByteArray head = file->peek(1024);
    job->reply(contentTypeFor(path, head), file);
}

} // namespace local_pages
