#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pictures {

using Bytes = std::span<const std::uint8_t>;

// Reads little-endian values from a byte span; a read past the end yields
// nothing and leaves the position unchanged.
class ByteReader {
public:
    explicit ByteReader(Bytes bytes, std::size_t position = 0) : m_bytes(bytes), m_position(position) {}

    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_position < m_bytes.size() ? m_bytes.size() - m_position : 0; }
    bool atEnd() const { return remaining() == 0; }

    bool seek(std::size_t position)
    {
        if (position > m_bytes.size())
            return false;
        m_position = position;
        return true;
    }

    bool skip(std::size_t count)
    {
        if (count > remaining())
            return false;
        m_position += count;
        return true;
    }

    std::optional<std::uint8_t> u8()
    {
        if (remaining() < 1)
            return std::nullopt;
        return m_bytes[m_position++];
    }

    std::optional<std::uint16_t> u16()
    {
        if (remaining() < 2)
            return std::nullopt;
        const auto value = std::uint16_t(m_bytes[m_position] | (m_bytes[m_position + 1] << 8));
        m_position += 2;
        return value;
    }

    std::optional<std::uint32_t> u32()
    {
        if (remaining() < 4)
            return std::nullopt;
        const auto value = std::uint32_t(m_bytes[m_position]) | (std::uint32_t(m_bytes[m_position + 1]) << 8)
            | (std::uint32_t(m_bytes[m_position + 2]) << 16) | (std::uint32_t(m_bytes[m_position + 3]) << 24);
        m_position += 4;
        return value;
    }

    std::optional<std::int32_t> i32()
    {
        const auto value = u32();
        if (!value)
            return std::nullopt;
        return std::int32_t(*value);
    }

    // The count bytes at offset, counted from the start of the span, without
    // moving; nothing when any of them lies past the end. Offsets and counts
    // come straight from file headers, so offset + count is never formed
    // where it could wrap around.
    std::optional<Bytes> at(std::uint64_t offset, std::uint64_t count) const
    {
        if (offset > m_bytes.size() || count > m_bytes.size() - offset)
            return std::nullopt;
        return m_bytes.subspan(std::size_t(offset), std::size_t(count));
    }

    // Everything from offset to the end, or nothing when offset lies past it.
    std::optional<Bytes> from(std::uint64_t offset) const
    {
        if (offset > m_bytes.size())
            return std::nullopt;
        return m_bytes.subspan(std::size_t(offset));
    }

    // The next count bytes, consumed.
    std::optional<Bytes> take(std::size_t count)
    {
        if (count > remaining())
            return std::nullopt;
        const Bytes span = m_bytes.subspan(m_position, count);
        m_position += count;
        return span;
    }

private:
    Bytes m_bytes;
    std::size_t m_position;
};

} // namespace pictures
