#pragma once

#include <QVector>

// A DPI range segment of the current model: values min..max in steps of step.
struct DpiSegment
{
    int min = 0;
    int max = 0;
    int step = 0;
};

// Snapping of slider values to the model's DPI segments and the step-down and
// step-up buttons, shared by the DPI stage editors. With no usable segments
// (count outside 1..4) every value passes unchanged.
class DpiSnapper
{
public:
    struct Snapped
    {
        int value = 0;
        int pageStep = 0;  // the slider's new page step; 0 = leave it
    };

    DpiSnapper() = default;
    explicit DpiSnapper(const QVector<DpiSegment>& segments);

    // The segments the sensor page published (g_DpiRangeCount and the
    // g_DpiRangeNMin/Max/Step texts), read at the moment of the call.
    static DpiSnapper fromGlobals();

    const QVector<DpiSegment>& segments() const { return m_segments; }

    // Inside a segment: rounded down to a multiple of its step (counted from 0,
    // but never below the segment's minimum). In the gap before a segment: that
    // segment's minimum. Elsewhere unchanged.
    Snapped snap(int value) const;

    // Value after the step-up or step-down button; the caller hands it to the
    // slider, which clamps it and snaps it through its value handler.
    int stepUp(int value) const;
    int stepDown(int value) const;

private:
    QVector<DpiSegment> m_segments;
};
