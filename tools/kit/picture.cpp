#include "kit/picture.h"

Picture Shrink(const Picture& p, int factor) {
    Picture small(p.Width() / factor, p.Height() / factor);
    for (int y = 0; y < small.Height(); ++y) {
        for (int x = 0; x < small.Width(); ++x) {
            Color sum;
            double weight = 0;
            for (int sy = 0; sy < factor; ++sy) {
                for (int sx = 0; sx < factor; ++sx) {
                    const int px = x * factor + sx, py = y * factor + sy;
                    const double a = p.Opacity(px, py);
                    sum = Add(sum, Scale(p.Get(px, py), a));
                    weight += a;
                }
            }
            small.Set(x, y, weight > 0 ? Scale(sum, 1 / weight) : Color{});
            small.SetOpacity(x, y, weight / (factor * factor));
        }
    }
    return small;
}
