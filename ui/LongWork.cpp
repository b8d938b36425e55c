#include "ui/LongWork.h"

#include <QApplication>
#include <QProgressDialog>
#include <QThread>

#include <memory>

LongWork::LongWork(QWidget* parent, const QString& text, qint64 total, bool cancellable)
{
    m_dialog = new QProgressDialog(text, cancellable ? QStringLiteral("取消") : QString(), 0, int(total), parent);
    m_dialog->setObjectName(QStringLiteral("ProgressDialog1"));
    m_dialog->setWindowTitle(QStringLiteral("系统提示"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumWidth(320);
    // Shown by step() once half a second has passed, however long the rest may look.
    m_dialog->setMinimumDuration(kShowAfterMs);
    m_dialog->setValue(0);
    m_clock.start();
}

LongWork::~LongWork() { delete m_dialog; }

bool LongWork::step(qint64 done)
{
    if (m_dialog->maximum() > 0)
        m_dialog->setValue(int(std::min<qint64>(done, m_dialog->maximum())));
    if (!m_dialog->isVisible() && m_clock.elapsed() >= kShowAfterMs)
        m_dialog->show();
    // Until the window is up nothing may reach the page: a click could take
    // away what the work reads. Once up, it is modal and takes the clicks.
    QApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return !m_dialog->wasCanceled();
}

void LongWork::restart(const QString& text, qint64 total)
{
    m_dialog->setLabelText(text);
    m_dialog->setRange(0, int(total));
    m_dialog->setValue(0);
}

bool LongWork::cancelled() const { return m_dialog->wasCanceled(); }

QString LongWork::count(qint64 n)
{
    QString digits = QString::number(n < 0 ? -n : n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return n < 0 ? u'-' + digits : digits;
}

bool LongWork::inThread(QWidget* parent, const QString& text, const std::function<bool()>& work)
{
    bool result = false;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = work(); }));
    LongWork progress(parent, text, 0, false);
    thread->start();
    while (!thread->wait(20))
        progress.step(0);
    return result;
}
