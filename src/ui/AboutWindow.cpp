#include "ui/AboutWindow.h"

#include "app/L10n.h"
#include "ui/Icons.h"
#include "ui/LinkLabel.h"
#include "ui/Style.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnwick {

namespace {

constexpr const char* kAttribution = "Made with \u2665\uFE0E in many places";
constexpr const char* kAttributionSpoken = "Made with love in many places";

} // namespace

AboutWindow::AboutWindow(QWidget* parent) : AppWindow(QAccessible::Dialog, parent) {
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(L10n::string(QStringLiteral("about.title")));

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(28, 28, 28, 28);
    stack->setSpacing(18);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setPixmap(Icons::application(kIconSize, devicePixelRatioF()));
    icon->setAccessibleName(L10n::string(QStringLiteral("Tarnwick")));
    stack->addWidget(icon, 0, Qt::AlignHCenter);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    auto* name = new QLabel(L10n::string(QStringLiteral("Tarnwick")), this);
    name->setObjectName(QStringLiteral("aboutName"));
    name->setFont(Style::titleFont(name->font()));
    titles->addWidget(name, 0, Qt::AlignHCenter);
    auto* versionLine = new QLabel(L10n::format(QStringLiteral("about.version"), version()), this);
    versionLine->setObjectName(QStringLiteral("aboutVersion"));
    versionLine->setTextFormat(Qt::PlainText);
    Style::makeSecondary(*versionLine);
    titles->addWidget(versionLine, 0, Qt::AlignHCenter);
    titles->addSpacing(5);
    auto* description = new QLabel(L10n::string(QStringLiteral("about.description")), this);
    description->setObjectName(QStringLiteral("aboutDescription"));
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // A fixed width: a wrapped label left to its size hint wraps far narrower.
    description->setFixedWidth(kDescriptionWidth);
    Style::makeSecondary(*description);
    titles->addWidget(description, 0, Qt::AlignHCenter);
    stack->addLayout(titles);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    stack->addWidget(divider);

    auto* grid = new QGridLayout;
    grid->setObjectName(QStringLiteral("contactGrid"));
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(8);
    addContactRow(*grid, QStringLiteral("about.developer"), QString::fromUtf8(kDeveloper), {});
    addContactRow(*grid, QStringLiteral("about.email"), QString::fromUtf8(kEmail),
                  QString::fromUtf8(kEmailURL));
    addContactRow(*grid, QStringLiteral("about.phone"), QString::fromUtf8(kPhone),
                  QString::fromUtf8(kPhoneURL));
    addContactRow(*grid, QStringLiteral("about.website"), QString::fromUtf8(kWebsite),
                  QString::fromUtf8(kWebsiteURL));
    stack->addLayout(grid);
    stack->setAlignment(grid, Qt::AlignHCenter);

    auto* attribution = new QLabel(L10n::string(QString::fromUtf8(kAttribution)), this);
    attribution->setObjectName(QStringLiteral("aboutAttribution"));
    attribution->setFont(Style::footnoteFont(attribution->font()));
    attribution->setAccessibleName(L10n::string(QString::fromUtf8(kAttributionSpoken)));
    Style::makeSecondary(*attribution);
    stack->addWidget(attribution, 0, Qt::AlignHCenter);

    // As wide as fixed, as high as the wrapped texts need at that width.
    setFixedWidth(kWidth);
    setFixedHeight(heightForWidth(kWidth));
}

QString AboutWindow::version() {
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("0.1.0") : version;
}

void AboutWindow::addContactRow(QGridLayout& grid, const QString& labelKey, const QString& value,
                                const QString& url) {
    const int row = grid.count() / 2;
    auto* label = new QLabel(L10n::string(labelKey), this);
    Style::makeSecondary(*label);
    grid.addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);

    QLabel* cell = nullptr;
    if (url.isEmpty()) {
        cell = new QLabel(this);
        Style::setPlainText(*cell, value);
        // In line with the links' texts.
        cell->setContentsMargins(LinkLabel::kFocusMargin, LinkLabel::kFocusMargin,
                                 LinkLabel::kFocusMargin, LinkLabel::kFocusMargin);
    } else {
        cell = new LinkLabel(value, QUrl(url), this);
    }
    cell->setObjectName(labelKey);
    label->setBuddy(cell);
    grid.addWidget(cell, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace tarnwick
