#pragma once

#include "menubar_access/menu_bar_platform_provider.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace tarimo::menubar_access {

class StatusItemLookup;

// Keeps one observation of a status bar button's state alive; destroying
// the observer ends the observation. Made only by
// StatusItemLookup::makeButtonStateObserver.
class ButtonStateObserver : public QObject
{
    Q_OBJECT

public:
    ~ButtonStateObserver() override;

    // Empty once the button is gone.
    QObject *objectToObserve() const { return m_objectToObserve; }
    StateObservation *observation() const { return m_observation.get(); }

private:
    friend class StatusItemLookup;

    explicit ButtonStateObserver(QObject *button);

    QPointer<QObject> m_objectToObserve;
    std::unique_ptr<StateObservation> m_observation;
};

} // namespace tarimo::menubar_access
