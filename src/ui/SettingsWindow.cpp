#include "ui/SettingsWindow.h"

#include "ui/DecorativeIcon.h"
#include "ui/SettingsView.h"
#include "ui/Style.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnwick {

SettingsWindow::SettingsWindow(AppModel& model, QWidget* parent)
    : AppWindow(QAccessible::Window, parent), notice_(new QWidget(this)),
      noticeText_(new QLabel(notice_)), view_(new SettingsView(model, this)) {
    setObjectName(QStringLiteral("settingsWindow"));

    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setFixedWidth(SettingsView::kWidth);
    auto* noticeRow = new QHBoxLayout(notice_);
    noticeRow->setContentsMargins(20, 12, 20, 4);
    noticeRow->setSpacing(12);
    auto* icon = new DecorativeIcon(18, notice_);
    icon->setSymbol(QStringLiteral("exclamationmark.triangle.fill"), Style::orange());
    noticeText_->setObjectName(QStringLiteral("noticeText"));
    noticeText_->setWordWrap(true);
    noticeRow->addWidget(icon, 0, Qt::AlignTop);
    noticeRow->addWidget(noticeText_, 1);
    notice_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(notice_);
    layout->addWidget(view_);

    setWindowTitle(view_->navigationTitle());
    connect(view_, &QTabWidget::currentChanged, this,
            [this] { setWindowTitle(view_->navigationTitle()); });
}

void SettingsWindow::setNotice(const QString& text) {
    noticeText_->setText(text);
    notice_->setVisible(!text.isEmpty());
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    AppWindow::closeEvent(event);
    if (event->isAccepted()) {
        emit closed();
    }
}

} // namespace tarnwick
