// Compile-time checks of a C++ type against a shape from the published layout table
// (published-abi.tsv): what the type is, its argument classes if it is a function pointer, the
// value of a constant and the text of a macro. Everything is constexpr so that the generated
// SdkAbiCheck.h can state each row as a static_assert.
//
// Shapes: i8 u8 char(i8) i16 u16 i32 u32 i64 u64 f32 f64 void, ptr(T), ptr(const T),
// fn(T,T,...)->T (a last "..." is variadic, fn() takes nothing), struct{SIZE,ALIGN},
// union{SIZE,ALIGN}, arrN[T] and opaque (a struct never defined here, seen through a pointer).
// A shape that does not parse matches nothing.
#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>

namespace zarvo_abi {

namespace detail {

// Reads a shape or class string from left to right. A match that fails is never resumed, so
// where a failed step leaves the cursor does not matter.
struct Cursor {
    std::string_view text;
    std::size_t at = 0;

    constexpr bool eat(std::string_view token) {
        if (text.substr(at, token.size()) != token)
            return false;
        at += token.size();
        return true;
    }
    constexpr bool peek(std::string_view token) const {
        return text.substr(at, token.size()) == token;
    }
    constexpr bool number(unsigned long long& value) {
        std::size_t digits = 0;
        value = 0;
        while (at + digits < text.size() && text[at + digits] >= '0' && text[at + digits] <= '9') {
            if (value > (~0ULL - 9) / 10)
                return false;
            value = value * 10 + static_cast<unsigned>(text[at + digits] - '0');
            ++digits;
        }
        at += digits;
        return digits > 0;
    }
    constexpr bool number_is(unsigned long long expected) {
        unsigned long long value = 0;
        return number(value) && value == expected;
    }
    constexpr bool done() const { return at == text.size(); }
};

// Only the sizeof of a complete type is well formed. The answer is fixed at the first use in a
// translation unit, which is all a check of declarations needs.
template <class T, class = void> struct IsComplete : std::false_type {};
template <class T> struct IsComplete<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};

template <class T> constexpr bool is_record() {
    if constexpr (std::is_class_v<T> || std::is_union_v<T>)
        return IsComplete<T>::value;
    return false;
}

template <class T, bool = std::is_enum_v<T>> struct Integral { using type = T; };
template <class T> struct Integral<T, true> { using type = std::underlying_type_t<T>; };
template <class T> using IntegralOf = typename Integral<T>::type;

// Any integer type of the right size and signedness: a 32-bit signed integer is int on one
// target and may be long on another. Plain char is its own shape, char(i8), because a header
// that says char and one that says signed char are different interfaces even where both are
// signed.
template <class T> constexpr bool match_integer(Cursor& c) {
    if constexpr (std::is_same_v<T, bool>) {
        return false;
    } else if constexpr (std::is_same_v<T, char>) {
        return c.eat("char(i8)");
    } else {
        return c.eat(std::is_signed_v<T> ? "i" : "u") && c.number_is(sizeof(T) * 8);
    }
}

template <class T> constexpr bool match(Cursor& c);

// A function type read element by element: "fn(" for shapes, "(" for argument classes. Each
// argument and the result is matched by Element<T>::match.
template <template <class> class Element, class R, bool Variadic, class... Args>
constexpr bool match_signature(Cursor& c, std::string_view open) {
    if (!c.eat(open))
        return false;
    bool ok = true;
    std::size_t index = 0;
    ((ok = ok && (index++ == 0 || c.eat(",")) && Element<Args>::match(c)), ...);
    if (!ok)
        return false;
    if constexpr (Variadic) {
        if (!c.eat(sizeof...(Args) == 0 ? "..." : ",..."))
            return false;
    }
    return c.eat(")->") && Element<R>::match(c);
}

template <template <class> class Element, class F> struct Signature;
template <template <class> class Element, class R, class... Args>
struct Signature<Element, R(Args...)> {
    static constexpr bool match(Cursor& c, std::string_view open) {
        return match_signature<Element, R, false, Args...>(c, open);
    }
};
template <template <class> class Element, class R, class... Args>
struct Signature<Element, R(Args..., ...)> {
    static constexpr bool match(Cursor& c, std::string_view open) {
        return match_signature<Element, R, true, Args...>(c, open);
    }
};
template <template <class> class Element, class R, class... Args>
struct Signature<Element, R(Args...) noexcept> : Signature<Element, R(Args...)> {};
template <template <class> class Element, class R, class... Args>
struct Signature<Element, R(Args..., ...) noexcept> : Signature<Element, R(Args..., ...)> {};

template <class T> struct Shape {
    static constexpr bool match(Cursor& c) { return detail::match<T>(c); }
};

template <class T> constexpr bool match(Cursor& c) {
    if constexpr (std::is_same_v<T, void>) {
        return c.eat("void");
    } else if constexpr (std::is_pointer_v<T>) {
        using Pointee = std::remove_pointer_t<T>;
        if (std::is_volatile_v<Pointee> || !c.eat("ptr("))
            return false;
        if (c.eat("const ") != std::is_const_v<Pointee>)
            return false;
        return match<std::remove_cv_t<Pointee>>(c) && c.eat(")");
    } else if constexpr (std::is_function_v<T>) {
        return Signature<Shape, T>::match(c, "fn(");
    } else if constexpr (std::is_array_v<T>) {
        using Element = std::remove_extent_t<T>;
        if constexpr (std::extent_v<T> == 0 ||
                      !std::is_same_v<Element, std::remove_cv_t<Element>>) {
            return false;
        } else {
            return c.eat("arr") && c.number_is(std::extent_v<T>) && c.eat("[") &&
                   match<Element>(c) && c.eat("]");
        }
    } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
        return match_integer<IntegralOf<T>>(c);
    } else if constexpr (std::is_same_v<T, float>) {
        return c.eat("f32");
    } else if constexpr (std::is_same_v<T, double>) {
        return c.eat("f64");
    } else if constexpr (is_record<T>()) {
        return c.eat(std::is_union_v<T> ? "union{" : "struct{") && c.number_is(sizeof(T)) &&
               c.eat(",") && c.number_is(alignof(T)) && c.eat("}");
    } else if constexpr (std::is_class_v<T>) {
        return c.eat("opaque");
    } else {
        return false; // references, member pointers, long double...: nothing in the table
    }
}

// Reads an argument list after its opening bracket, up to and with the closing one: elements
// read by `element`, a last "..." for a variadic list, nothing at all for none.
template <class Element> constexpr bool read_arguments(Cursor& c, Element element) {
    if (c.eat(")"))
        return true;
    do {
        if (c.eat("..."))
            return c.eat(")");
        if (!element(c))
            return false;
    } while (c.eat(","));
    return c.eat(")");
}

// Reads one shape without a type, for the rows whose fields may be declared opaquely: it says
// whether the shape is well formed, what it is, and the size of an object of that shape. void,
// opaque and fn are only seen through pointers (void also as a result).
enum class Form { None, Scalar, Pointer, Function, Record, Array, Opaque };
enum class Place { Object, Pointee, Result };

constexpr bool read_shape(Cursor& c, Form& form, unsigned long long& size, Place place) {
    constexpr std::string_view scalars[] = {"char(i8)", "i8",  "u8",  "i16", "u16", "i32",
                                            "u32",      "i64", "u64", "f32", "f64"};
    constexpr unsigned long long scalar_sizes[] = {1, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8};
    for (std::size_t i = 0; i < sizeof(scalar_sizes) / sizeof(scalar_sizes[0]); ++i) {
        if (c.eat(scalars[i])) {
            form = Form::Scalar;
            size = scalar_sizes[i];
            return true;
        }
    }
    Form inner = Form::None;
    unsigned long long inner_size = 0;
    size = 0;
    if (c.eat("void")) {
        form = Form::Scalar;
        return place != Place::Object;
    }
    if (c.eat("opaque")) {
        form = Form::Opaque;
        return place == Place::Pointee;
    }
    if (c.eat("ptr(")) {
        c.eat("const ");
        form = Form::Pointer;
        size = sizeof(void*);
        return read_shape(c, inner, inner_size, Place::Pointee) && c.eat(")");
    }
    if (c.eat("fn(")) {
        form = Form::Function;
        return place == Place::Pointee &&
               read_arguments(
                   c, [&](Cursor& k) { return read_shape(k, inner, inner_size, Place::Object); }) &&
               c.eat("->") && read_shape(c, inner, inner_size, Place::Result);
    }
    if (c.eat("struct{") || c.eat("union{")) {
        unsigned long long align = 0;
        form = Form::Record;
        return c.number(size) && c.eat(",") && c.number(align) && c.eat("}");
    }
    if (c.eat("arr")) {
        unsigned long long count = 0;
        form = Form::Array;
        if (!(c.number(count) && c.eat("[") && read_shape(c, inner, inner_size, Place::Object) &&
              c.eat("]")))
            return false;
        size = count * inner_size;
        return inner_size != 0 && size / inner_size == count;
    }
    return false;
}

template <class T> constexpr bool is_byte_blob() {
    if constexpr (std::is_array_v<T>) {
        using Element = std::remove_all_extents_t<T>;
        return std::is_same_v<Element, char> || std::is_same_v<Element, unsigned char> ||
               std::is_same_v<Element, signed char>;
    } else if constexpr (is_record<T>()) {
        // A record of bytes only (padding, a byte array): nothing in it needs alignment.
        return alignof(T) == 1 && std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>;
    } else {
        return false;
    }
}

// Argument classes of the Windows x64 convention, which do not depend on the target compiled
// for: a scalar or a record of 1, 2, 4 or 8 bytes goes in an integer register (R<n>), float and
// double in SSE registers (X4, X8), any other record by reference to a copy (M<n>).
template <class T> constexpr bool match_class(Cursor& c) {
    if constexpr (std::is_void_v<T>) {
        return c.eat("v");
    } else if constexpr (std::is_same_v<std::remove_cv_t<T>, float>) {
        return c.eat("X4");
    } else if constexpr (std::is_same_v<std::remove_cv_t<T>, double>) {
        return c.eat("X8");
    } else if constexpr (std::is_pointer_v<T> || std::is_reference_v<T>) {
        return c.eat("R") && c.number_is(8);
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        return c.eat("R") && c.number_is(sizeof(T));
    } else if constexpr (is_record<T>()) {
        constexpr std::size_t n = sizeof(T);
        return c.eat(n == 1 || n == 2 || n == 4 || n == 8 ? "R" : "M") && c.number_is(n);
    } else {
        return false;
    }
}

template <class T> struct ArgumentClass {
    static constexpr bool match(Cursor& c) { return match_class<T>(c); }
};

constexpr bool read_class(Cursor& c, bool result) {
    unsigned long long n = 0;
    if (c.eat("R"))
        return c.number(n) && (n == 1 || n == 2 || n == 4 || n == 8);
    if (c.eat("M"))
        return c.number(n) && n > 0;
    return c.eat("X4") || c.eat("X8") || (result && c.eat("v"));
}

} // namespace detail

// Whether T has the shape, exactly. A const or volatile on the object itself is ignored (a
// field declared const has the same layout); inside pointers it is part of the shape.
template <class T> constexpr bool matches(std::string_view shape) {
    detail::Cursor c{shape};
    return detail::match<std::remove_cv_t<T>>(c) && c.done();
}

// For records and suites' members the module never touches: a void* stands for any pointer and
// a byte array or a record of bytes for any record or array of the same size. Offsets and sizes
// are checked elsewhere, so only what the module does not rely on is left loose.
template <class T> constexpr bool matches_layout(std::string_view shape) {
    using U = std::remove_cv_t<T>;
    detail::Cursor c{shape};
    detail::Form form = detail::Form::None;
    unsigned long long size = 0;
    const bool well_formed = detail::read_shape(c, form, size, detail::Place::Object) && c.done();
    if (well_formed && std::is_same_v<U, void*> && form == detail::Form::Pointer)
        return true;
    if constexpr (detail::is_byte_blob<U>()) {
        if (well_formed && (form == detail::Form::Record || form == detail::Form::Array))
            return size == sizeof(U);
    }
    return matches<U>(shape);
}

// Whether the function pointer type T passes its arguments and result as the classes say,
// e.g. "(R8,R4,...)->R4".
template <class T> constexpr bool call_classes_are(std::string_view classes) {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_pointer_v<U> && std::is_function_v<std::remove_pointer_t<U>>) {
        detail::Cursor c{classes};
        return detail::Signature<detail::ArgumentClass, std::remove_pointer_t<U>>::match(c, "(") &&
               c.done();
    } else {
        return false;
    }
}

// The same for members the module never calls: one declared as a plain void* passes, provided
// the classes string itself is well formed.
template <class T> constexpr bool call_classes_layout(std::string_view classes) {
    if constexpr (std::is_same_v<std::remove_cv_t<T>, void*>) {
        detail::Cursor c{classes};
        return c.eat("(") &&
               detail::read_arguments(
                   c, [](detail::Cursor& k) { return detail::read_class(k, false); }) &&
               c.eat("->") && detail::read_class(c, true) && c.done();
    } else {
        return call_classes_are<T>(classes);
    }
}

// Whether an enumerator or macro has the value. The table writes a value as the target's
// compiler sees it, so a flag in the top bit is -2147483648 where long has 32 bits and
// 2147483648 where it has 64; a header that spells it 0x80000000 is just as right. So the value
// is compared in the constant's own type: equal bits in its width, and the expected number
// within what that width can hold at all.
template <class T> constexpr bool value_is(T value, long long expected) {
    static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "a constant must be an integer");
    using U = detail::IntegralOf<T>;
    const U v = static_cast<U>(value);
    if constexpr (std::is_signed_v<U>) {
        if (static_cast<long long>(v) == expected)
            return true;
    } else {
        if (expected >= 0 &&
            static_cast<unsigned long long>(v) == static_cast<unsigned long long>(expected))
            return true;
    }
    if constexpr (sizeof(U) < sizeof(long long)) {
        constexpr long long span = 1LL << (8 * sizeof(U));
        if (expected < -span / 2 || expected >= span)
            return false;
    }
    return static_cast<U>(expected) == v;
}

constexpr bool text_is(std::string_view text, std::string_view expected) {
    return text == expected;
}

} // namespace zarvo_abi
