#pragma once

#include "engine/Geometry.h"
#include "engine/ports/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace tarnwick {

using Pid = std::int32_t;

// The platform's error codes; 0 is success, every other value a failure.
using AXError = std::int32_t;
inline constexpr AXError kAXErrorSuccess = 0;
inline constexpr AXError kAXErrorFailure = -25200;
inline constexpr AXError kAXErrorIllegalArgument = -25201;
inline constexpr AXError kAXErrorInvalidUIElement = -25202;
inline constexpr AXError kAXErrorCannotComplete = -25204;
inline constexpr AXError kAXErrorAttributeUnsupported = -25205;
inline constexpr AXError kAXErrorNoValue = -25212;
inline constexpr AXError kAXErrorAPIDisabled = -25211;

// Type codes of a typed accessibility value.
enum class AXValueType : std::int32_t {
    Illegal = 0,
    CGPoint = 1,
    CGSize = 2,
};

// A typed value as the platform hands it out: a type code and its payload.
struct AXValue {
    AXValueType type = AXValueType::Illegal;
    std::variant<std::monostate, Point, Size> payload;

    static AXValue point(Point p) { return {AXValueType::CGPoint, p}; }
    static AXValue size(Size s) { return {AXValueType::CGSize, s}; }
};

// What an attribute read returns: a text, a boolean, a number or a typed value.
using AXAttributeValue = std::variant<std::string, bool, double, AXValue>;

// Opaque handles; each platform derives its own. Shared ownership stands in
// for the platform's reference counting.
class AXElement {
public:
    virtual ~AXElement() = default;
};
using AXElementRef = std::shared_ptr<AXElement>;

class AXObserver {
public:
    virtual ~AXObserver() = default;
};
using AXObserverRef = std::shared_ptr<AXObserver>;

// Called on the main thread for every notification the observer was registered for.
using AXObserverCallback = void (*)(const AXObserverRef& observer, const AXElementRef& element,
                                    const std::string& notification, void* refcon);

inline constexpr const char* kAXWindowCreatedNotification = "AXWindowCreated";
inline constexpr const char* kAXRoleAttribute = "AXRole";
inline constexpr const char* kAXSubroleAttribute = "AXSubrole";
inline constexpr const char* kAXMinimizedAttribute = "AXMinimized";
inline constexpr const char* kAXFullScreenAttribute = "AXFullScreen";
inline constexpr const char* kAXPositionAttribute = "AXPosition";
inline constexpr const char* kAXSizeAttribute = "AXSize";
inline constexpr const char* kAXWindowRole = "AXWindow";
inline constexpr const char* kAXStandardWindowSubrole = "AXStandardWindow";
inline constexpr const char* kAXDialogSubrole = "AXDialog";
inline constexpr const char* kAXFloatingWindowSubrole = "AXFloatingWindow";

// The accessibility interface: how the program watches other applications and
// reads and moves their windows. Every operation runs on the main thread.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    // True while the program may watch and move other applications' windows.
    virtual bool isProcessTrusted() = 0;
    // Asks the platform to let the user grant that permission; the answer is advisory.
    virtual bool isProcessTrustedWithPrompt() = 0;

    // The application-wide element of a process.
    virtual AXElementRef createApplication(Pid pid) = 0;

    virtual AXError observerCreate(Pid pid, AXObserverCallback callback,
                                   AXObserverRef& observer) = 0;
    virtual AXError observerAddNotification(const AXObserverRef& observer,
                                            const AXElementRef& element,
                                            const std::string& notification, void* refcon) = 0;
    // The source through which the observer's callbacks reach the main run loop.
    virtual RunLoopSourceRef observerGetRunLoopSource(const AXObserverRef& observer) = 0;

    virtual AXError copyAttributeValue(const AXElementRef& element, const std::string& attribute,
                                       AXAttributeValue& value) = 0;
    virtual AXError isAttributeSettable(const AXElementRef& element, const std::string& attribute,
                                        bool& settable) = 0;
    virtual AXError setAttributeValue(const AXElementRef& element, const std::string& attribute,
                                      const AXValue& value) = 0;
    virtual AXError getPid(const AXElementRef& element, Pid& pid) = 0;

    // Calls done once, on the main thread, with whether a value that
    // setAttributeValue accepted took effect. Where an accepted write has taken
    // effect when it returns, that is at once; a windowing system that may still
    // refuse or alter the request answers when it has seen the outcome.
    virtual void whenAttributeApplied(const AXElementRef& element, const std::string& attribute,
                                      std::function<void(bool applied)> done) {
        (void)element;
        (void)attribute;
        done(true);
    }

    // Wraps a point as a typed value; empty when the platform cannot.
    virtual std::optional<AXValue> valueCreate(const Point& point) = 0;
};

} // namespace tarnwick
