#include "mt19937.h"

#include <algorithm>

namespace tarnwick {

namespace {
constexpr std::uint32_t kMatrixA = 0x9908b0dfU;
constexpr std::uint32_t kUpperMask = 0x80000000U;
constexpr std::uint32_t kLowerMask = 0x7fffffffU;
} // namespace

void Mt19937::InitGenrand(std::uint32_t seed) {
    m_state[0] = seed;
    for (int i = 1; i < kN; ++i) {
        const std::uint32_t prev = m_state[i - 1];
        m_state[i] = 1812433253U * (prev ^ (prev >> 30)) + static_cast<std::uint32_t>(i);
    }
    m_index = kN;
}

void Mt19937::InitByArray(std::span<const std::uint32_t> key) {
    InitGenrand(19650218U);
    int i = 1;
    std::size_t j = 0;
    const int keyLength = static_cast<int>(key.size());
    for (int k = std::max(kN, keyLength); k > 0; --k) {
        const std::uint32_t prev = m_state[i - 1];
        m_state[i] = (m_state[i] ^ ((prev ^ (prev >> 30)) * 1664525U)) + key[j] +
                     static_cast<std::uint32_t>(j);
        ++i;
        ++j;
        if (i >= kN) {
            m_state[0] = m_state[kN - 1];
            i = 1;
        }
        if (j >= key.size()) {
            j = 0;
        }
    }
    for (int k = kN - 1; k > 0; --k) {
        const std::uint32_t prev = m_state[i - 1];
        m_state[i] =
            (m_state[i] ^ ((prev ^ (prev >> 30)) * 1566083941U)) - static_cast<std::uint32_t>(i);
        ++i;
        if (i >= kN) {
            m_state[0] = m_state[kN - 1];
            i = 1;
        }
    }
    m_state[0] = 0x80000000U; // the most significant bit is 1: a non-zero initial state
}

void Mt19937::Regenerate() {
    if (m_index == kN + 1) {
        InitGenrand(5489U);
    }
    const auto twist = [](std::uint32_t upper, std::uint32_t lower) {
        const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
        return (y >> 1) ^ ((y & 1U) != 0 ? kMatrixA : 0U);
    };
    int k = 0;
    for (; k < kN - kM; ++k) {
        m_state[k] = m_state[k + kM] ^ twist(m_state[k], m_state[k + 1]);
    }
    for (; k < kN - 1; ++k) {
        m_state[k] = m_state[k + (kM - kN)] ^ twist(m_state[k], m_state[k + 1]);
    }
    m_state[kN - 1] = m_state[kM - 1] ^ twist(m_state[kN - 1], m_state[0]);
    m_index = 0;
}

std::uint32_t Mt19937::GenrandInt32() {
    if (m_index >= kN) {
        Regenerate();
    }
    std::uint32_t y = m_state[m_index++];
    y ^= (y >> 11);
    y ^= (y << 7) & 0x9d2c5680U;
    y ^= (y << 15) & 0xefc60000U;
    y ^= (y >> 18);
    return y;
}

} // namespace tarnwick
