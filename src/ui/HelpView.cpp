#include "ui/HelpView.h"

#include "app/AppModel.h"
#include "app/L10n.h"
#include "ui/DecorativeIcon.h"
#include "ui/Icons.h"
#include "ui/Style.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tarnwick {

namespace {
constexpr int kFocusRing = 2;
} // namespace

HelpView::HelpView(const AppModel& model, QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("helpView"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setViewportMargins(kFocusRing, kFocusRing, kFocusRing, kFocusRing);

    auto* content = new QWidget(this);
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(28, 28, 28, 28);
    page->setSpacing(22);

    auto* header = new QVBoxLayout;
    header->setSpacing(8);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    auto* title = new QLabel(L10n::string(QStringLiteral("Tarnwick")), content);
    title->setObjectName(QStringLiteral("helpTitle"));
    title->setFont(Style::titleFont(title->font()));
    const int titleHeight = QFontMetrics(title->font()).height();
    auto* titleIcon = new DecorativeIcon(titleHeight, content);
    titleIcon->setSymbol(QStringLiteral("scope"), palette().color(QPalette::WindowText));
    titleRow->addWidget(titleIcon, 0, Qt::AlignVCenter);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    header->addLayout(titleRow);
    auto* intro = new QLabel(L10n::string(QStringLiteral("help.intro")), content);
    intro->setObjectName(QStringLiteral("helpIntro"));
    intro->setWordWrap(true);
    Style::makeSecondary(*intro);
    header->addWidget(intro);
    page->addLayout(header);

    const auto text = [](const char* key) { return L10n::string(QString::fromLatin1(key)); };
    addSection(*page, text("help.how.title"), text("help.how.body"),
               QStringLiteral("cursorarrow.motionlines"));
    addSection(*page, text("help.permission.title"), text("help.permission.body"),
               QStringLiteral("hand.raised"));
    addSection(*page, text("help.loginItem.title"),
               L10n::format(QStringLiteral("help.loginItem.body"), model.loginItemLocation()),
               QStringLiteral("power"));
    addSection(*page, text("help.apps.title"),
               L10n::format(QStringLiteral("help.apps.body"), model.preferencesLocation()),
               QStringLiteral("switch.2"));
    addSection(*page, text("help.limits.title"), text("help.limits.body"),
               QStringLiteral("exclamationmark.circle"));
    addSection(
        *page, text("help.troubleshooting.title"),
        L10n::format(QStringLiteral("help.troubleshooting.body"), model.preferencesLocation()),
        QStringLiteral("wrench.and.screwdriver"));
    page->addStretch(1);
    setWidget(content);
}

bool HelpView::event(QEvent* event) {
    const bool handled = QScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus() &&
        window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        const QRect page = viewport()->geometry();
        const QRect outer = page.adjusted(-kFocusRing, -kFocusRing, kFocusRing, kFocusRing);
        QPainter painter(this);
        painter.setClipRegion(QRegion(outer).subtracted(QRegion(page)));
        painter.fillRect(outer, palette().color(QPalette::Highlight));
    }
    return handled;
}

void HelpView::addSection(QVBoxLayout& page, const QString& titleText, const QString& bodyText,
                          const QString& symbol) {
    QWidget* content = page.parentWidget();
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* icon = new DecorativeIcon(kSectionIconWidth, content);
    icon->setObjectName(QStringLiteral("helpIcon"));
    icon->setSymbol(symbol, Style::secondary(*content));
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(5);
    auto* title = new QLabel(titleText, content);
    title->setObjectName(QStringLiteral("helpSectionTitle"));
    title->setFont(Style::headlineFont(title->font()));
    title->setWordWrap(true);
    auto* body = new QLabel(bodyText, content);
    body->setObjectName(QStringLiteral("helpSectionBody"));
    body->setTextFormat(Qt::PlainText); // it may name a folder
    body->setWordWrap(true);
    Style::makeSecondary(*body);
    texts->addWidget(title);
    texts->addWidget(body);
    row->addLayout(texts, 1);
    page.addLayout(row);
}

} // namespace tarnwick
