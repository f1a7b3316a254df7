#pragma once

#include <QLoggingCategory>

// Failures and decisions of the X11 layer; silent unless QT_LOGGING_RULES
// enables "tarnwick.x11".
Q_DECLARE_LOGGING_CATEGORY(lcX11)
