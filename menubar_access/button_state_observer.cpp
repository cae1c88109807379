#include "menubar_access/button_state_observer.h"

namespace tarimo::menubar_access {

ButtonStateObserver::ButtonStateObserver(QObject *button)
    : m_objectToObserve(button)
{}

ButtonStateObserver::~ButtonStateObserver()
{
    // The observation must end before this object is half torn down, or a
    // last report could reach a dying observer.
    if (m_observation) {
        m_observation->invalidate();
        m_observation.reset();
    }
}

} // namespace tarimo::menubar_access
