#pragma once
// The perpetual calendar: one calendar control filling the page, opened on
// today. It reads and writes no data.

#include "ui/Page.h"

class TChnCalendar;

class Tf_wannianli : public Page {
    Q_OBJECT
public:
    explicit Tf_wannianli(QWidget* parent = nullptr);

    TChnCalendar* calendar() const { return m_calendar; }

public slots:
    void FormCreate();

private:
    TChnCalendar* m_calendar;  // ChnCalendar1
};
