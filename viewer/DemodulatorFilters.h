#pragma once
// The three low-pass filters of the demodulator. Each term multiplies the
// mixer output `offset` positions ahead by its coefficient; the terms are
// summed in the order listed, so keep that order. The 800 Hz filter has two
// terms at offset 0 and none at 23.
#include <cstddef>

namespace rx {

struct FilterTerm {
    int offset;
    double coefficient;
};

constexpr std::size_t FilterTermCount = 24;
// The filters look ahead only: position i reads mixer positions up to i+23.
constexpr int FilterReach = 23;

constexpr FilterTerm LowPass800[FilterTermCount] = {
    {0, -0.002142334},   {0, -0.00102643},    {1, -0.002675909},  {2, -0.004480064},
    {3, -0.004731198},   {4, -0.0008056217},  {5, 0.01003923},    {6, 0.02941216},
    {7, 0.0565826},      {8, 0.08794469},     {9, 0.1175767},     {10, 0.1388599},
    {11, 0.1466081},     {12, 0.1388599},     {13, 0.1175767},    {14, 0.08794469},
    {15, 0.0565826},     {16, 0.02941216},    {17, 0.01003923},   {18, -0.0008056217},
    {19, -0.004731198},  {20, -0.004480064},  {21, -0.002675909}, {22, -0.00102643},
};

constexpr FilterTerm LowPass1200[FilterTermCount] = {
    {0, 0.001581907},    {1, 0.001007539},    {2, 0.001415144},   {3, -0.0006920933},
    {4, -0.007021887},   {5, -0.01596902},    {6, -0.0206544},    {7, -0.01052874},
    {8, 0.02287173},     {9, 0.07887558},     {10, 0.1443193},    {11, 0.1974308},
    {12, 0.2178921},     {13, 0.1974308},     {14, 0.1443193},    {15, 0.07887558},
    {16, 0.02287173},    {17, -0.01052874},   {18, -0.0206544},   {19, -0.01596902},
    {20, -0.007021887},  {21, -0.0006920933}, {22, 0.001415144},  {23, 0.001007539},
};

constexpr FilterTerm LowPass1500[FilterTermCount] = {
    {0, 0.001581907},    {1, 0.00002274398},  {2, 0.002058987},   {3, 0.005337002},
    {4, 0.005098273},    {5, -0.004715029},   {6, -0.02300267},   {7, -0.0347252},
    {8, -0.01586415},    {9, 0.04848041},     {10, 0.145768},     {11, 0.2355067},
    {12, 0.2720697},     {13, 0.2355067},     {14, 0.145768},     {15, 0.04848041},
    {16, -0.01586415},   {17, -0.0347252},    {18, -0.02300267},  {19, -0.004715029},
    {20, 0.005098273},   {21, 0.005337002},   {22, 0.002058987},  {23, 0.00002274398},
};

// The filter for a `lowPassCutoff` setting: 800 and 1200 pick theirs, any
// other value the 1500 Hz filter.
constexpr const FilterTerm* lowPassTerms(int cutoff) {
    return cutoff == 800 ? LowPass800 : cutoff == 1200 ? LowPass1200 : LowPass1500;
}

}  // namespace rx
