#pragma once
#include <cmath>

namespace Qel
{
// Plain value types; trivially copyable so property storage can hold them inline.

template <typename T = float>
struct Vector2
{
    T x = T(0);
    T y = T(0);

    constexpr Vector2() = default;
    constexpr Vector2(T aX, T aY) : x(aX), y(aY) {}

    constexpr Vector2 operator+(const Vector2& b) const { return {x + b.x, y + b.y}; }
    constexpr Vector2 operator-(const Vector2& b) const { return {x - b.x, y - b.y}; }
    constexpr Vector2 operator-() const { return {-x, -y}; }
    constexpr Vector2 operator*(T s) const { return {x * s, y * s}; }
    constexpr Vector2 operator/(T s) const { return {x / s, y / s}; }
    constexpr Vector2& operator+=(const Vector2& b) { x += b.x; y += b.y; return *this; }
    constexpr Vector2& operator-=(const Vector2& b) { x -= b.x; y -= b.y; return *this; }
    constexpr Vector2& operator*=(T s) { x *= s; y *= s; return *this; }
    constexpr Vector2& operator/=(T s) { x /= s; y /= s; return *this; }
    constexpr bool operator==(const Vector2&) const = default;

    constexpr T Dot(const Vector2& b) const { return x * b.x + y * b.y; }
    constexpr T LengthSqr() const { return x * x + y * y; }
    T Length() const { return std::sqrt(LengthSqr()); }
    Vector2 GetNormalized() const
    {
        const T length = Length();
        if (length == T(0))
            return {};
        const T inv = T(1) / length;
        return {x * inv, y * inv};
    }
    void Normalize() { *this = GetNormalized(); }
};

template <typename T = float>
struct Vector3
{
    T x = T(0);
    T y = T(0);
    T z = T(0);

    constexpr Vector3() = default;
    constexpr Vector3(T aX, T aY, T aZ) : x(aX), y(aY), z(aZ) {}

    constexpr Vector3 operator+(const Vector3& b) const { return {x + b.x, y + b.y, z + b.z}; }
    constexpr Vector3 operator-(const Vector3& b) const { return {x - b.x, y - b.y, z - b.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(T s) const { return {x * s, y * s, z * s}; }
    constexpr Vector3 operator/(T s) const { return {x / s, y / s, z / s}; }
    constexpr Vector3& operator+=(const Vector3& b) { x += b.x; y += b.y; z += b.z; return *this; }
    constexpr Vector3& operator-=(const Vector3& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
    constexpr Vector3& operator*=(T s) { x *= s; y *= s; z *= s; return *this; }
    constexpr Vector3& operator/=(T s) { x /= s; y /= s; z /= s; return *this; }
    constexpr bool operator==(const Vector3&) const = default;

    constexpr T Dot(const Vector3& b) const { return x * b.x + y * b.y + z * b.z; }
    constexpr Vector3 Cross(const Vector3& b) const
    {
        return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x};
    }
    constexpr T LengthSqr() const { return x * x + y * y + z * z; }
    T Length() const { return std::sqrt(LengthSqr()); }
    // A zero vector stays zero instead of turning into NaNs.
    Vector3 GetNormalized() const
    {
        const T length = Length();
        if (length == T(0))
            return {};
        const T inv = T(1) / length;
        return {x * inv, y * inv, z * inv};
    }
    void Normalize() { *this = GetNormalized(); }
};

template <typename T = float>
struct Vector4
{
    T x = T(0);
    T y = T(0);
    T z = T(0);
    T w = T(0);

    constexpr Vector4() = default;
    constexpr Vector4(T aX, T aY, T aZ, T aW) : x(aX), y(aY), z(aZ), w(aW) {}
    constexpr Vector4(const Vector3<T>& aXyz, T aW) : x(aXyz.x), y(aXyz.y), z(aXyz.z), w(aW) {}

    constexpr Vector4 operator+(const Vector4& b) const { return {x + b.x, y + b.y, z + b.z, w + b.w}; }
    constexpr Vector4 operator-(const Vector4& b) const { return {x - b.x, y - b.y, z - b.z, w - b.w}; }
    constexpr Vector4 operator-() const { return {-x, -y, -z, -w}; }
    constexpr Vector4 operator*(T s) const { return {x * s, y * s, z * s, w * s}; }
    constexpr Vector4 operator/(T s) const { return {x / s, y / s, z / s, w / s}; }
    constexpr Vector4& operator+=(const Vector4& b) { x += b.x; y += b.y; z += b.z; w += b.w; return *this; }
    constexpr Vector4& operator-=(const Vector4& b) { x -= b.x; y -= b.y; z -= b.z; w -= b.w; return *this; }
    constexpr Vector4& operator*=(T s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    constexpr Vector4& operator/=(T s) { x /= s; y /= s; z /= s; w /= s; return *this; }
    constexpr bool operator==(const Vector4&) const = default;

    constexpr Vector3<T> GetXYZ() const { return {x, y, z}; }
    constexpr T Dot(const Vector4& b) const { return x * b.x + y * b.y + z * b.z + w * b.w; }
    constexpr T LengthSqr() const { return x * x + y * y + z * z + w * w; }
    T Length() const { return std::sqrt(LengthSqr()); }
    Vector4 GetNormalized() const
    {
        const T length = Length();
        if (length == T(0))
            return {};
        const T inv = T(1) / length;
        return {x * inv, y * inv, z * inv, w * inv};
    }
    void Normalize() { *this = GetNormalized(); }
};

template <typename T>
constexpr Vector2<T> operator*(T s, const Vector2<T>& v) { return v * s; }
template <typename T>
constexpr Vector3<T> operator*(T s, const Vector3<T>& v) { return v * s; }
template <typename T>
constexpr Vector4<T> operator*(T s, const Vector4<T>& v) { return v * s; }

using Vector2f = Vector2<float>;
using Vector3f = Vector3<float>;
using Vector4f = Vector4<float>;

static_assert(sizeof(Vector2f) == 8 && sizeof(Vector3f) == 12 && sizeof(Vector4f) == 16);
}
