#pragma once
// The login dialog: pick a member, type the password, optionally remember both.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// Set unless the last login dialog admitted a member.
extern bool LoginCancelled;

// Exit code of a start that could not read the database file.
inline constexpr int kExitStartFailed = 1;

class Tf_login : public QDialog {
    Q_OBJECT
public:
    // exitWhenShown: the start-up benchmark's hook; the dialog prints
    // "login shown" as soon as it is on screen and closes as if cancelled,
    // so the program ends the ordinary way.
    explicit Tf_login(QWidget* parent = nullptr, bool exitWhenShown = false);

    // The database could not be read when the dialog was filled: missing or
    // unreadable, or held by another program past the busy wait.
    bool databaseMissing() const { return m_missing; }
    bool databaseLocked() const { return m_locked; }
    // The file is of a newer program's layout.
    bool databaseNewer() const { return m_newer; }
    bool startFailed() const { return m_missing || m_locked || m_newer; }

public slots:
    void FormCreate();
    void TryLogin();
    void Image2Click();
    void Image3Click();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* m_users;
    QLineEdit* m_password;
    QCheckBox* m_remember;
    bool m_missing = false;
    bool m_locked = false;
    bool m_newer = false;
    bool m_exitWhenShown;
};
