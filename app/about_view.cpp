#include "app/about_view.h"

#include "app/named_image.h"
#include "display/keyboard_focus.h"
#include "price/request.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarimo::app {

// The service's home page is the origin its prices come from.
const QUrl AboutView::serviceUrl = price::Request::baseURL();
const QString AboutView::contactAddress = QStringLiteral("tarimo@example.org");

namespace {

QLabel *text(const QString &content, int pixelSize, bool bold, QWidget *parent)
{
    auto *label = new QLabel(content, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

AboutView::AboutView(UrlOpener openUrl, QWidget *parent)
    : QWidget(parent)
{
    if (!openUrl)
        openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };

    setFixedSize(300, 300);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();

    auto *logo = new QLabel(this);
    logo->setFixedSize(32, 32);
    logo->setPixmap(namedImage(QStringLiteral("logopixel"), QSize(32, 32), devicePixelRatioF()));
    logo->setAccessibleName(tr("Tarimo logo"));
    layout->addWidget(logo, 0, Qt::AlignHCenter);

    layout->addWidget(text(QStringLiteral("Tarimo"), 16, true, this));
    layout->addWidget(text(tr("Version %1").arg(QStringLiteral(TARIMO_VERSION)), 10, false, this));
    layout->addWidget(text(tr("Created by %1").arg(contactAddress).toLower(), 12, false, this));

    layout->addSpacing(20);
    layout->addWidget(text(tr("Data provided by:"), 10, false, this));

    // The service asks its users to credit it: its badge links to its page.
    m_serviceButton = new QPushButton(this);
    m_serviceButton->setObjectName(QStringLiteral("serviceButton"));
    m_serviceButton->setFlat(true);
    m_serviceButton->setCursor(Qt::PointingHandCursor);
    m_serviceButton->setToolTip(serviceUrl.toString());
    m_serviceButton->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; background: transparent; }"));
    const QSize natural = namedImageSize(QStringLiteral("elpriser"));
    const QSize badge(qRound(32.0 * natural.width() / natural.height()), 32);
    m_serviceButton->setIcon(namedIcon(QStringLiteral("elpriser")));
    m_serviceButton->setIconSize(badge);
    m_serviceButton->setFixedSize(badge);
    connect(m_serviceButton, &QPushButton::clicked, this, [openUrl] { openUrl(serviceUrl); });
    // A link for the keyboard too: Tab reaches it, Enter opens it; a click
    // leaves no focus on it.
    m_serviceButton->setFocusPolicy(Qt::TabFocus);
    m_serviceButton->setAutoDefault(true);
    m_serviceButton->setAccessibleName(QStringLiteral("elprisetjustnu.se"));
    m_serviceButton->setAccessibleDescription(tr("Opens the data service's web page"));
    connect(qApp, &QApplication::focusChanged, this, [this] { update(); });
    layout->addWidget(m_serviceButton, 0, Qt::AlignHCenter);

    layout->addStretch();
}

void AboutView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_W)) {
        window()->close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AboutView::paintEvent(QPaintEvent *)
{
    if (!isWindow())
        return;
    QPainter painter(this);
    painter.setPen(QColor(255, 255, 255, 28));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_serviceButton->hasFocus())
        display::KeyboardFocus::drawOutline(painter, QRectF(m_serviceButton->geometry()).adjusted(-3, -3, 3, 3));
}

} // namespace tarimo::app
