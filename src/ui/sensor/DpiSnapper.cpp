#include "ui/sensor/DpiSnapper.h"

#include "device/SensorDpiTables.h"

#include <QtGlobal>
#include <limits>

namespace {

int clampToInt(qint64 v)
{
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

} // namespace

DpiSnapper::DpiSnapper(const QVector<DpiSegment>& segments)
{
    if (segments.size() >= 1 && segments.size() <= 4)
        m_segments = segments;
}

DpiSnapper DpiSnapper::fromGlobals()
{
    const QString* const texts[4][3] = {
        { &g_DpiRange1Min, &g_DpiRange1Max, &g_DpiRange1Step },
        { &g_DpiRange2Min, &g_DpiRange2Max, &g_DpiRange2Step },
        { &g_DpiRange3Min, &g_DpiRange3Max, &g_DpiRange3Step },
        { &g_DpiRange4Min, &g_DpiRange4Max, &g_DpiRange4Step },
    };
    QVector<DpiSegment> segments;
    if (g_DpiRangeCount >= 1 && g_DpiRangeCount <= 4) {
        for (int k = 0; k < g_DpiRangeCount; ++k) {
            DpiSegment s;
            s.min = texts[k][0]->toInt(nullptr, 10);
            s.max = texts[k][1]->toInt(nullptr, 10);
            s.step = texts[k][2]->toInt(nullptr, 10);
            segments.append(s);
        }
    }
    return DpiSnapper(segments);
}

DpiSnapper::Snapped DpiSnapper::snap(int value) const
{
    Snapped out;
    out.value = value;
    const int n = m_segments.size();
    for (int k = 0; k < n; ++k) {
        const DpiSegment& s = m_segments.at(k);
        if (s.min <= value && value <= s.max) {
            // A segment without a usable step cannot be snapped to.
            if (s.step > 0) {
                out.pageStep = s.step;
                out.value = qMax(s.min, value - value % s.step);
            }
            return out;
        }
        if (k + 1 < n) {
            const DpiSegment& next = m_segments.at(k + 1);
            if (s.max < value && value < next.min) {
                if (next.step > 0) {
                    out.pageStep = next.step;
                    out.value = next.min;
                }
                return out;
            }
        }
    }
    return out;
}

int DpiSnapper::stepUp(int value) const
{
    const int n = m_segments.size();
    for (int k = 0; k < n; ++k) {
        const DpiSegment& s = m_segments.at(k);
        const int step = qMax(0, s.step);
        if (k + 1 < n) {
            const DpiSegment& next = m_segments.at(k + 1);
            if (s.min <= value && value < s.max)
                return clampToInt(qint64(value) + step);
            if (s.max <= value && value < next.min)
                return next.min;
        } else if (s.min <= value && value <= s.max) {
            return clampToInt(qint64(value) + step);
        }
    }
    return value;
}

int DpiSnapper::stepDown(int value) const
{
    const int n = m_segments.size();
    for (int k = 0; k < n; ++k) {
        const DpiSegment& s = m_segments.at(k);
        const int step = qMax(0, s.step);
        if (s.min <= value && value <= s.max) {
            const int down = clampToInt(qint64(value) - step);
            // Stepping down out of a segment into the gap below it would be
            // pulled straight back up by the snap: land on the segment below.
            if (k > 0) {
                const DpiSegment& below = m_segments.at(k - 1);
                if (below.max < down && down < s.min)
                    return below.max;
            }
            return down;
        }
        if (k + 1 < n) {
            const DpiSegment& next = m_segments.at(k + 1);
            if (s.max < value && value < next.min)
                return next.min;
        }
    }
    return value;
}
