#include "engine/AXHelpers.h"

namespace tarnwick::AXHelpers {

namespace {
template <typename T>
std::optional<T> read(Accessibility& ax, const AXElementRef& element,
                      const std::string& attribute) {
    AXAttributeValue value;
    if (ax.copyAttributeValue(element, attribute, value) != kAXErrorSuccess) {
        return std::nullopt;
    }
    if (const T* typed = std::get_if<T>(&value)) {
        return *typed;
    }
    return std::nullopt;
}

template <typename T>
std::optional<T> readValue(Accessibility& ax, const AXElementRef& element,
                           const std::string& attribute, AXValueType expected) {
    const std::optional<AXValue> value = read<AXValue>(ax, element, attribute);
    if (!value || value->type != expected) {
        return std::nullopt;
    }
    if (const T* typed = std::get_if<T>(&value->payload)) {
        return *typed;
    }
    return std::nullopt;
}
} // namespace

template <>
std::optional<std::string> copyValue<std::string>(Accessibility& ax, const AXElementRef& element,
                                                  const std::string& attribute) {
    return read<std::string>(ax, element, attribute);
}

template <>
std::optional<bool> copyValue<bool>(Accessibility& ax, const AXElementRef& element,
                                    const std::string& attribute) {
    return read<bool>(ax, element, attribute);
}

std::optional<Point> point(Accessibility& ax, const AXElementRef& element,
                           const std::string& attribute) {
    return readValue<Point>(ax, element, attribute, AXValueType::CGPoint);
}

std::optional<Size> size(Accessibility& ax, const AXElementRef& element,
                         const std::string& attribute) {
    return readValue<Size>(ax, element, attribute, AXValueType::CGSize);
}

} // namespace tarnwick::AXHelpers
