#pragma once

#include <array>
#include <cstddef>

// The two boxes of the main window and of the Mini Counter, and everything kept per box.
enum class Box { Original, Translation };

inline constexpr std::array<Box, 2> kBoxes{Box::Original, Box::Translation};

// Two things of one kind, one per box, reached by the box.
template <typename T> struct PerBox {
    std::array<T, 2> items{};

    constexpr T& operator[](Box box) { return items[static_cast<std::size_t>(box)]; }
    constexpr const T& operator[](Box box) const { return items[static_cast<std::size_t>(box)]; }
};
