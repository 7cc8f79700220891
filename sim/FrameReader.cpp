// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameReader.h"

namespace Sim {

int64_t CFrameReader::Deadline() const
{
    switch (m_state) {
    case InText:
        return m_last + TEXT_GAP_MS;
    case InFrame:
        return m_last + FRAME_GAP_MS;
    default:
        return -1;
    }
}

void CFrameReader::Expire(int64_t nowMs)
{
    const int64_t deadline = Deadline();
    if (deadline >= 0 && nowMs >= deadline) {
        m_ignored += m_partial.text.size() + m_partial.data.size() + 1 + (m_haveBlock ? 1 : 0);
        Reset();
    }
}

void CFrameReader::Reset()
{
    m_state = Idle;
    m_need = 0;
    m_haveBlock = false;
    m_partial = SRequest{};
}

SRequest CFrameReader::Feed(uint8_t b, int64_t nowMs)
{
    Expire(nowMs);
    m_last = nowMs;
    SRequest done;
    switch (m_state) {
    case Idle:
        if (b == DLE) {
            m_state = InText;
            m_partial = SRequest{};
            done.kind = SRequest::Dle;
        } else if (b >= 0xC0 && b <= 0xEF) {
            m_state = InFrame;
            m_partial = SRequest{};
            m_haveBlock = false;
            m_need = 1 + static_cast<size_t>(b - 0xC0);
        } else {
            ++m_ignored;
        }
        break;
    case InText:
        if (b == CR) {
            done = std::move(m_partial);
            done.kind = SRequest::Text;
            Reset();
        } else if (b == DLE) {
            // A new text command before the line ended: start over.
            m_ignored += m_partial.text.size();
            m_partial = SRequest{};
            done.kind = SRequest::Dle;
        } else if (b == '\n') {
            // Line feeds some terminals add are not part of the command.
        } else if (m_partial.text.size() < MAX_LINE) {
            m_partial.text.push_back(static_cast<char>(b));
        } else {
            m_partial.overlong = true;
            ++m_ignored;
        }
        break;
    case InFrame:
        if (!m_haveBlock) {
            m_partial.block = b;
            m_haveBlock = true;
        } else {
            m_partial.data.push_back(b);
        }
        if (--m_need == 0) {
            done = std::move(m_partial);
            done.kind = SRequest::Frame;
            Reset();
        }
        break;
    }
    return done;
}

} // namespace Sim
