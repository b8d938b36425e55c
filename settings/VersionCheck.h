#pragma once
// The check for a newer version: one HTTP GET of the maker's version page,
// whose body is the newest version number.

#include <QByteArray>
#include <QUrl>
#include <optional>

class QWidget;

// The version number in a reply body: a whole number, blanks and line
// breaks around it allowed; nothing else.
std::optional<qint64> parseVersion(const QByteArray& body);

enum class VersionReply {
    Newer,      // the server names a higher version than `current`
    Current,    // the same or a lower one
    Failed,     // no answer, an HTTP error, a body that is no number, or no answer in time
    Cancelled,  // the user pressed Cancel while waiting
};

// Asks `url` and waits for the answer, at most `timeoutMs`. After about a
// second of waiting a modal progress dialog with Cancel shows over `parent`.
VersionReply checkVersion(QWidget* parent, const QUrl& url, qint64 current, int timeoutMs);
