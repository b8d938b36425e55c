#pragma once
// Answers message boxes as a user would: records title, text and icon of
// every box that appears and presses a chosen button.

#include <QMessageBox>
#include <QObject>
#include <QTimer>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QString informative = {};  // the smaller text under the main one
};

class BoxAnswerer : public QObject {
    Q_OBJECT
public:
    // Presses `answer` (OK by default) in each box that shows up.
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    void setAnswer(QMessageBox::StandardButton a) { m_answer = a; }
    QList<SeenBox> seen;
    QStringList texts() const;
    void clear() { seen.clear(); }

private:
    void poll();
    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
};
