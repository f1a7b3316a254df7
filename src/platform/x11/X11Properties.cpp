#include "platform/x11/X11Properties.h"

#include <QString>
#include <algorithm>
#include <cstring>

namespace tarnwick::X11Properties {

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::span<const std::uint8_t> s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const std::uint8_t c = s[i];
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static constexpr std::uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string nfc(const QString& s) {
    return s.normalized(QString::NormalizationForm_C).toStdString();
}

} // namespace

std::optional<std::vector<std::uint32_t>> items32(const RawProperty& p, std::uint32_t type,
                                                  std::size_t minCount, std::size_t maxCount) {
    if (p.truncated || p.type != type || p.format != 32 || p.bytes.size() % 4 != 0) {
        return std::nullopt;
    }
    const std::size_t count = p.bytes.size() / 4;
    if (count < minCount || count > maxCount) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> items(count);
    if (count > 0) {
        std::memcpy(items.data(), p.bytes.data(), count * 4);
    }
    return items;
}

std::optional<std::uint32_t> window(const RawProperty& p) {
    const auto items = items32(p, kAtomWindow, 1, 1);
    if (!items || items->front() == 0) {
        return std::nullopt;
    }
    return items->front();
}

std::optional<std::vector<std::uint32_t>> windows(const RawProperty& p) {
    return items32(p, kAtomWindow, 0, kMaxListLength);
}

std::optional<std::vector<std::uint32_t>> atoms(const RawProperty& p) {
    return items32(p, kAtomAtom, 0, 1024);
}

std::optional<std::int32_t> pid(const RawProperty& p) {
    const auto items = items32(p, kAtomCardinal, 1, 1);
    if (!items || items->front() == 0 || items->front() > 0x7FFFFFFFu) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(items->front());
}

std::optional<std::string> normalizedUtf8(std::span<const std::uint8_t> bytes) {
    if (!isValidUtf8(bytes)) {
        return std::nullopt;
    }
    return nfc(QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size())));
}

std::string latin1ToUtf8(std::span<const std::uint8_t> bytes) {
    return nfc(QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
}

std::optional<std::string> utf8Text(const RawProperty& p, std::uint32_t utf8StringAtom) {
    if (p.truncated || p.type != utf8StringAtom || p.type == 0 || p.format != 8 ||
        p.bytes.size() > kMaxTextBytes) {
        return std::nullopt;
    }
    std::span<const std::uint8_t> text(p.bytes);
    if (!text.empty() && text.back() == 0) {
        text = text.first(text.size() - 1);
    }
    if (text.empty() || std::memchr(text.data(), 0, text.size()) != nullptr) {
        return std::nullopt;
    }
    return normalizedUtf8(text);
}

std::optional<WmClass> wmClass(const RawProperty& p) {
    if (p.truncated || p.type != kAtomString || p.format != 8 || p.bytes.size() > kMaxTextBytes) {
        return std::nullopt;
    }
    const auto& b = p.bytes;
    const auto firstNul = std::find(b.begin(), b.end(), std::uint8_t{0});
    if (firstNul == b.end()) {
        return std::nullopt;
    }
    auto classEnd = std::find(firstNul + 1, b.end(), std::uint8_t{0});
    // Only padding may follow the class's terminator.
    if (classEnd != b.end() && std::any_of(classEnd, b.end(), [](auto c) { return c != 0; })) {
        return std::nullopt;
    }
    std::span<const std::uint8_t> instance(b.data(),
                                           static_cast<std::size_t>(firstNul - b.begin()));
    std::span<const std::uint8_t> cls(&*firstNul + 1,
                                      static_cast<std::size_t>(classEnd - firstNul - 1));
    if (cls.empty()) {
        return std::nullopt;
    }
    return WmClass{latin1ToUtf8(instance), latin1ToUtf8(cls)};
}

std::optional<Strut> strutPartial(const RawProperty& p) {
    const auto v = items32(p, kAtomCardinal, 12, 12);
    if (!v) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 12; ++i) {
        if ((*v)[i] > kMaxExtent) {
            return std::nullopt;
        }
    }
    Strut s{(*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4],  (*v)[5],
            (*v)[6], (*v)[7], (*v)[8], (*v)[9], (*v)[10], (*v)[11]};
    if (s.leftStartY > s.leftEndY || s.rightStartY > s.rightEndY || s.topStartX > s.topEndX ||
        s.bottomStartX > s.bottomEndX) {
        return std::nullopt;
    }
    return s;
}

std::optional<Strut> strut(const RawProperty& p, std::uint32_t screenWidth,
                           std::uint32_t screenHeight) {
    const auto v = items32(p, kAtomCardinal, 4, 4);
    if (!v || screenWidth == 0 || screenHeight == 0) {
        return std::nullopt;
    }
    for (std::uint32_t x : *v) {
        if (x > kMaxExtent) {
            return std::nullopt;
        }
    }
    const std::uint32_t lastX = screenWidth - 1;
    const std::uint32_t lastY = screenHeight - 1;
    return Strut{(*v)[0], (*v)[1], (*v)[2], (*v)[3], 0, lastY, 0, lastY, 0, lastX, 0, lastX};
}

std::optional<FrameExtents> frameExtents(const RawProperty& p) {
    const auto v = items32(p, kAtomCardinal, 4, 4);
    if (!v) {
        return std::nullopt;
    }
    for (std::uint32_t x : *v) {
        if (x > kMaxExtent) {
            return std::nullopt;
        }
    }
    return FrameExtents{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
}

std::optional<Area> workArea(const RawProperty& p, std::uint32_t desktop) {
    const auto v = items32(p, kAtomCardinal, 4, 4 * 1024);
    if (!v || v->size() % 4 != 0 || desktop >= v->size() / 4) {
        return std::nullopt;
    }
    const std::uint32_t* a = v->data() + 4 * std::size_t{desktop};
    if (a[0] > kMaxExtent || a[1] > kMaxExtent || a[2] > kMaxExtent || a[3] > kMaxExtent) {
        return std::nullopt;
    }
    return Area{a[0], a[1], a[2], a[3]};
}

std::optional<std::uint32_t> cardinal(const RawProperty& p) {
    const auto v = items32(p, kAtomCardinal, 1, 1);
    return v ? std::optional(v->front()) : std::nullopt;
}

std::optional<std::uint32_t> wmState(const RawProperty& p, std::uint32_t wmStateAtom) {
    if (wmStateAtom == 0) {
        return std::nullopt;
    }
    const auto v = items32(p, wmStateAtom, 1, 2);
    if (!v) {
        return std::nullopt;
    }
    return v->front();
}

WindowKind windowKind(const std::optional<std::vector<std::uint32_t>>& types, bool transient,
                      const TypeAtoms& known) {
    if (types) {
        for (std::uint32_t t : *types) {
            if (t == 0) {
                continue;
            }
            if (t == known.normal) {
                return WindowKind::Standard;
            }
            if (t == known.dialog) {
                return WindowKind::Dialog;
            }
            if (t == known.utility || t == known.toolbar || t == known.menu || t == known.splash) {
                return WindowKind::Floating;
            }
        }
        // Types we do not know (docks, desktops, notifications, vendor types).
        if (!types->empty()) {
            return WindowKind::Other;
        }
    }
    return transient ? WindowKind::Dialog : WindowKind::Standard;
}

std::optional<std::int32_t> pidFromClientIds(std::uint32_t window,
                                             std::span<const ClientIdValue> ids) {
    constexpr std::uint32_t kLocalClientPid = 2; // XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID
    if (window == 0) {
        return std::nullopt;
    }
    for (const ClientIdValue& id : ids) {
        if (id.client == 0 || (window & id.client) != id.client || id.mask != kLocalClientPid ||
            id.values.size() != 1) {
            continue;
        }
        const std::uint32_t pid = id.values.front();
        if (pid == 0 || pid > 0x7FFFFFFFu) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(pid);
    }
    return std::nullopt;
}

} // namespace tarnwick::X11Properties
