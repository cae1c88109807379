#include "menubar_access/on_menu_bar_extra_window.h"

#include "console/console.h"
#include "menubar_access/status_item_lookup.h"

#include <QEvent>

namespace tarimo::menubar_access {

namespace {

// Lives as a child of the view it watches, so it goes with it.
class VisibilityAction : public QObject
{
public:
    VisibilityAction(QWidget *view, std::shared_ptr<MenuBarPlatformProvider> platform, int index,
                     std::function<void(QObject *)> completion)
        : QObject(view)
        , m_platform(std::move(platform))
        , m_index(index)
        , m_completion(std::move(completion))
    {
        view->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            QObject *window = StatusItemLookup(*m_platform).menuBarExtraWindowFor(StatusItemKey::byIndex(m_index));
            if (window) {
                if (m_completion)
                    m_completion(window);
            } else {
                console::printLine(QStringLiteral(
                    "Cannot call introspection block for status item because its window could not be found."));
            }
        }
        return false;
    }

private:
    std::shared_ptr<MenuBarPlatformProvider> m_platform;
    int m_index;
    std::function<void(QObject *)> m_completion;
};

} // namespace

QWidget *onMenuBarExtraWindow(std::shared_ptr<MenuBarPlatformProvider> platform, QWidget *view, int index,
                              std::function<void(QObject *window)> completion)
{
    if (view)
        new VisibilityAction(view, std::move(platform), index, std::move(completion));
    return view;
}

} // namespace tarimo::menubar_access
