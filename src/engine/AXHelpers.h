#pragma once

#include "engine/ports/Accessibility.h"

#include <optional>
#include <string>

namespace tarnwick {

// Typed attribute reads; every failure gives an empty result.
namespace AXHelpers {

template <typename T>
std::optional<T> copyValue(Accessibility& ax, const AXElementRef& element,
                           const std::string& attribute);

template <>
std::optional<std::string> copyValue<std::string>(Accessibility& ax, const AXElementRef& element,
                                                  const std::string& attribute);
template <>
std::optional<bool> copyValue<bool>(Accessibility& ax, const AXElementRef& element,
                                    const std::string& attribute);

std::optional<Point> point(Accessibility& ax, const AXElementRef& element,
                           const std::string& attribute);
std::optional<Size> size(Accessibility& ax, const AXElementRef& element,
                         const std::string& attribute);

} // namespace AXHelpers
} // namespace tarnwick
