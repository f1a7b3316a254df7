#include "ui/LinkLabel.h"

#include <QAccessibleWidget>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarnwick {

namespace {

class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override {
        const auto* link = static_cast<const LinkLabel*>(widget());
        switch (kind) {
        case QAccessible::Name:
            return link->text();
        case QAccessible::Description:
            return link->url().toString();
        default:
            return QAccessibleWidget::text(kind);
        }
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<const LinkLabel*>(widget())->open();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

QAccessibleInterface* linkFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(LinkLabel::staticMetaObject.className())) {
        if (auto* link = qobject_cast<LinkLabel*>(object)) {
            return new LinkAccessible(link);
        }
    }
    return nullptr;
}

} // namespace

LinkLabel::LinkLabel(const QString& text, const QUrl& url, QWidget* parent)
    : QLabel(parent), url_(url) {
    static const bool installed = [] {
        QAccessible::installFactory(linkFactory);
        return true;
    }();
    (void)installed;
    setTextFormat(Qt::PlainText);
    setText(text);
    setToolTip(url.toString());
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setContentsMargins(kFocusMargin, kFocusMargin, kFocusMargin, kFocusMargin);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::WindowText, linkPalette.color(QPalette::Link));
    setPalette(linkPalette);
}

void LinkLabel::open() const {
    QDesktopServices::openUrl(url_);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        open();
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        open();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    // Drawn here rather than by the style, which may draw none on labels; like
    // the style's, only once the keyboard has moved the focus.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace tarnwick
