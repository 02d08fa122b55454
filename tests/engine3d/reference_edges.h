#pragma once
// The edge-adjacency rule of shadow volumes written out directly, as the
// yardstick of the tests and the benchmark: weld each corner to the first
// earlier corner closer than 0.00001 on every axis, then join each edge
// still alone with every matching edge of every later triangle (the last
// match wins).
#include <cmath>
#include <vector>

namespace shadow_test {

// n corners, three per triangle; pos(i, k) is axis k of corner i.
template <class Pos> std::vector<int> ReferenceNeighbours(int n, Pos pos)
{
    const int T = n / 3;
    std::vector<int> id(n);
    for (int i = 0; i < n; ++i) {
        id[i] = i;
        for (int j = 0; j < i; ++j) {
            bool near = true;
            for (int k = 0; k < 3; ++k)
                near = near && std::fabs(double(pos(j, k)) - pos(i, k)) < 0.00001;
            if (near) {
                id[i] = j;
                break;
            }
        }
    }
    std::vector<int> nb(3 * T, -1);
    for (int a = 0; a + 1 < T; ++a)
        for (int e = 0; e < 3; ++e) {
            if (nb[3 * a + e] != -1) continue;
            const int p = id[3 * a + e], q = id[3 * a + (e + 1) % 3];
            for (int b = a + 1; b < T; ++b)
                for (int f = 0; f < 3; ++f) {
                    const int r = id[3 * b + f], s = id[3 * b + (f + 1) % 3];
                    if ((p == r && q == s) || (p == s && q == r)) {
                        nb[3 * a + e] = b;
                        nb[3 * b + f] = a;
                    }
                }
        }
    return nb;
}

} // namespace shadow_test
