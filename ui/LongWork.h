#pragma once
// Work a user may wait on: after half a second a progress window names it
// ("正在导出 183,997 行…") and, where stopping is safe, offers 取消; the
// window keeps painting meanwhile, since each step lets it handle events.

#include <QElapsedTimer>
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

class LongWork {
public:
    // `total` 0: the amount is not known yet (a moving bar).
    LongWork(QWidget* parent, const QString& text, qint64 total, bool cancellable);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports how much is done; false once the user has cancelled.
    bool step(qint64 done);
    // A new stage of the same work.
    void restart(const QString& text, qint64 total);
    bool cancelled() const;
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // Runs `work` on a thread of its own while the window keeps painting,
    // with a progress window (no 取消: such work must not stop half-way)
    // after half a second; returns what `work` returned. `work` must not
    // touch widgets or the shared connection.
    static bool inThread(QWidget* parent, const QString& text, const std::function<bool()>& work);

    // inThread as a step handed to a data routine (a backup's check).
    static std::function<bool(const std::function<bool()>&)> besideWindow(QWidget* parent, const QString& text)
    {
        return [parent, text](const std::function<bool()>& work) { return inThread(parent, text, work); };
    }

    // 183997 -> "183,997".
    static QString count(qint64 n);

    static constexpr int kShowAfterMs = 500;

private:
    QProgressDialog* m_dialog;
    QElapsedTimer m_clock;
};
