// The shape matcher on small local types: building this file is the test.
#include "sdk/abi/AbiShape.h"

#include <cstdint>

namespace {

using zarvo_abi::call_classes_are;
using zarvo_abi::call_classes_layout;
using zarvo_abi::matches;
using zarvo_abi::matches_layout;
using zarvo_abi::value_is;

struct Hidden;
struct Pixel {
    unsigned char a, r, g, b;
};
struct Rect {
    std::int32_t left, top, right, bottom;
};
union Value {
    std::int32_t i;
    double d;
};
struct Padding {
    unsigned char bytes[16];
};
enum Signed { SignedLow = -1, SignedHigh = 1 };
enum Flags { FlagTop = static_cast<int>(0x80000000u) };
enum UnsignedFlags { UnsignedTop = 0x80000000u };
enum Small : std::int16_t { SmallOne = 1 };

using Callback = std::int32_t (*)(Hidden*, std::int32_t, const Rect*, Pixel**);
using Printf = int (*)(char*, const char*, ...);
using Math = double (*)(double, float);
using Nothing = void (*)();
using ByValue = Rect (*)(Pixel, Rect);

// Scalars: any integer of the size and signedness, enums by their underlying type, plain char
// only as char(i8).
static_assert(matches<std::int32_t>("i32") && matches<long long>("i64") && matches<Signed>("i32"));
static_assert(matches<UnsignedFlags>("u32") && matches<Small>("i16") && matches<char>("char(i8)"));
static_assert(matches<unsigned char>("u8") && matches<double>("f64") &&
              matches<const float>("f32"));
static_assert(!matches<std::int32_t>("u32") && !matches<std::int16_t>("i32"));
static_assert(!matches<signed char>("char(i8)") && !matches<char>("i8") && !matches<bool>("u8"));

// Pointers, const only where the shape says so, opaque only for an incomplete struct.
static_assert(matches<Hidden*>("ptr(opaque)") && matches<Hidden**>("ptr(ptr(opaque))"));
static_assert(matches<const char*>("ptr(const char(i8))") && matches<void**>("ptr(ptr(void))"));
static_assert(!matches<char*>("ptr(const char(i8))") && !matches<const char*>("ptr(char(i8))"));
static_assert(!matches<Pixel*>("ptr(opaque)") && !matches<void*>("ptr(opaque)") &&
              !matches<Hidden*>("ptr(void)"));

// Records, arrays and functions.
static_assert(matches<Rect>("struct{16,4}") && matches<Value>("union{8,8}"));
static_assert(!matches<Rect>("struct{16,8}") && !matches<Value>("struct{8,8}"));
static_assert(matches<char[32]>("arr32[char(i8)]") && matches<void* [3]>("arr3[ptr(void)]"));
static_assert(!matches<char[31]>("arr32[char(i8)]"));
static_assert(matches<Callback>(
    "ptr(fn(ptr(opaque),i32,ptr(const struct{16,4}),ptr(ptr(struct{4,1})))->i32)"));
static_assert(matches<Printf>("ptr(fn(ptr(char(i8)),ptr(const char(i8)),...)->i32)"));
static_assert(matches<Nothing>("ptr(fn()->void)"));
static_assert(!matches<Printf>("ptr(fn(ptr(char(i8)),ptr(const char(i8)))->i32)"));
static_assert(!matches<Math>("ptr(fn(f64,f64)->f64)") && !matches<Nothing>("ptr(fn(void)->void)"));

// A shape that does not parse, or has text left over, matches nothing.
static_assert(!matches<std::int32_t>("i32)") && !matches<Rect>("struct{16,4") &&
              !matches<std::int32_t>(""));

// Loose rows: void* for any pointer, bytes for any record or array of the same size.
static_assert(matches_layout<void*>("ptr(fn(ptr(opaque))->i32)") &&
              matches_layout<unsigned char[16]>("struct{16,4}"));
static_assert(matches_layout<Padding>("union{16,8}") &&
              matches_layout<char[24]>("arr3[ptr(void)]"));
static_assert(!matches_layout<void*>("i64") && !matches_layout<Padding>("struct{8,4}"));
static_assert(!matches_layout<unsigned char[16]>("arr4[f64]") && !matches_layout<void*>("ptr("));
static_assert(!matches_layout<Rect>("union{16,4}"));

// Argument classes of the Windows x64 convention.
static_assert(call_classes_are<Callback>("(R8,R4,R8,R8)->R4"));
static_assert(call_classes_are<Printf>("(R8,R8,...)->R4") && call_classes_are<Nothing>("()->v"));
static_assert(call_classes_are<Math>("(X8,X4)->X8") && call_classes_are<ByValue>("(R4,M16)->M16"));
static_assert(!call_classes_are<Callback>("(R8,R8,R8,R8)->R4") &&
              !call_classes_are<Printf>("(R8,R8)->R4"));
static_assert(!call_classes_are<Math>("(X8,X8)->X8") && !call_classes_are<void*>("(R8)->R4"));
static_assert(call_classes_layout<void*>("(R8,X4,...)->v") && !call_classes_layout<void*>("(R8"));

// Constants compare in their own type: the top bit is the same flag however it is spelled.
static_assert(value_is(FlagTop, -2147483648LL) && value_is(FlagTop, 2147483648LL));
static_assert(value_is(UnsignedTop, -2147483648LL) && value_is(UnsignedTop, 2147483648LL));
static_assert(value_is(SignedLow, -1) && value_is(1L << 31, 2147483648LL));
static_assert(!value_is(SignedHigh, 2) && !value_is(SmallOne, 65537) && !value_is(255, -1));

} // namespace
