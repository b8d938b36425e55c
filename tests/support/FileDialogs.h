#pragma once
// Answers the program's own file dialogs as a user would: in each one that
// shows, picks the file set in `answer` (an empty answer cancels) and
// records the dialog's title, its filters and the folder it opened in.

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

class FileDialogAnswerer {
public:
    FileDialogAnswerer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }

    QString answer;
    QString filter;  // the file type chosen in the dialog; empty: as it opens
    QStringList titles, folders, filters;

private:
    void poll()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool())
                continue;
            dialog->setProperty("answered", true);
            titles << dialog->windowTitle();
            folders << dialog->directory().absolutePath();
            filters << dialog->nameFilters().join(u';');
            if (answer.isEmpty()) {
                dialog->reject();
            } else {
                if (!filter.isEmpty())
                    dialog->selectNameFilter(filter);
                dialog->selectFile(answer);
                static_cast<QDialog*>(dialog)->accept();  // the file dialog checks the name
            }
        }
    }
    QTimer m_timer;
};
