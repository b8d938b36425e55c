#include "settings/VersionCheck.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>

std::optional<qint64> parseVersion(const QByteArray& body)
{
    const QByteArray t = body.trimmed();
    static const QRegularExpression number(QStringLiteral("^[0-9]+$"));
    if (!number.match(QString::fromLatin1(t)).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok)
        return std::nullopt;  // more digits than a number holds
    return v;
}

VersionReply checkVersion(QWidget* parent, const QUrl& url, qint64 current, int timeoutMs)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return VersionReply::Failed;
    QNetworkAccessManager net;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("jizhang/%1").arg(current));
    QNetworkReply* reply = net.get(request);

    QEventLoop loop;
    bool timedOut = false, cancelled = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    // Shown only when the answer is slow.
    QProgressDialog progress(QStringLiteral("正在连接服务器，检查新版本……"), QStringLiteral("取消"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("VersionProgress"));
    progress.setWindowTitle(QStringLiteral("在线升级"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(1000);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        reply->abort();
    });
    progress.setValue(0);  // starts the one-second wait before it shows

    limit.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    limit.stop();
    progress.hide();

    VersionReply result = VersionReply::Failed;
    // The error first: a body of a failed request means nothing.
    if (cancelled && !timedOut) {
        result = VersionReply::Cancelled;
    } else if (!timedOut && reply->error() == QNetworkReply::NoError) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 200 && status < 300)
            if (const auto v = parseVersion(reply->readAll()))
                result = *v > current ? VersionReply::Newer : VersionReply::Current;
    }
    delete reply;
    return result;
}
