#include "calendar/Tf_wannianli.h"

#include "calendar/TChnCalendar.h"
#include "data/Clock.h"
#include "ui/Theme.h"

#include <QVBoxLayout>

Tf_wannianli::Tf_wannianli(QWidget* parent) : Page("f_wannianli", parent)
{
    setFont(Theme::songti(12));
    m_calendar = new TChnCalendar(this);
    m_calendar->setObjectName(QStringLiteral("ChnCalendar1"));
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_calendar);

    m_calendar->setShowTitle(true);
    m_calendar->setShowWeekNum(false);
    m_calendar->setShowFrame(true);
    m_calendar->setShowWeekNumLine(true);
    m_calendar->setHideSelection(false);
    m_calendar->setFontDate(Theme::heiti(12, true));
    m_calendar->setFontDateColor(0);  // window text
    m_calendar->setFontCnDate(Theme::songti(12));
    m_calendar->setFontCnDateColor(15658734);
    m_calendar->setColorTitleConstellation(0);
    m_calendar->setColorTitleAnimalsYear(0);
    m_calendar->setCenter(false);
    m_calendar->setAlphaBlend(50);
    m_calendar->resize(kWidth, kHeight);
    FormCreate();
}

void Tf_wannianli::FormCreate() { m_calendar->SetDateTime(Clock::now()); }
