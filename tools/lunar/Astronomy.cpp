#include "Astronomy.h"

#include <cmath>
#include <cstddef>
#include <span>

namespace velmora::lunar {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;
constexpr double kArcsec = kDegree / 3600.0;
constexpr double kTropicalYearDays = 365.24219;

double sinDeg(double degrees) {
    return std::sin(degrees * kDegree);
}

double reduce360(double degrees) {
    const double r = std::fmod(degrees, 360.0);
    return r < 0.0 ? r + 360.0 : r;
}

double reduce180(double degrees) {
    const double r = reduce360(degrees);
    return r >= 180.0 ? r - 360.0 : r;
}

// --- Earth, VSOP87 as truncated in Meeus's appendix (units 1e-8) ---------

struct VsopTerm {
    double a, b, c; // a cos(b + c tau)
};

constexpr VsopTerm kL0[] = {
    {175347046, 0, 0},
    {3341656, 4.6692568, 6283.0758500},
    {34894, 4.62610, 12566.15170},
    {3497, 2.7441, 5753.3849},
    {3418, 2.8289, 3.5231},
    {3136, 3.6277, 77713.7715},
    {2676, 4.4181, 7860.4194},
    {2343, 6.1352, 3930.2097},
    {1324, 0.7425, 11506.7698},
    {1273, 2.0371, 529.6910},
    {1199, 1.1096, 1577.3435},
    {990, 5.233, 5884.927},
    {902, 2.045, 26.298},
    {857, 3.508, 398.149},
    {780, 1.179, 5223.694},
    {753, 2.533, 5507.553},
    {505, 4.583, 18849.228},
    {492, 4.205, 775.523},
    {357, 2.920, 0.067},
    {317, 5.849, 11790.629},
    {284, 1.899, 796.298},
    {271, 0.315, 10977.079},
    {243, 0.345, 5486.778},
    {206, 4.806, 2544.314},
    {205, 1.869, 5573.143},
    {202, 2.458, 6069.777},
    {156, 0.833, 213.299},
    {132, 3.411, 2942.463},
    {126, 1.083, 20.775},
    {115, 0.645, 0.980},
    {103, 0.636, 4694.003},
    {102, 0.976, 15720.839},
    {102, 4.267, 7.114},
    {99, 6.21, 2146.17},
    {98, 0.68, 155.42},
    {86, 5.98, 161000.69},
    {85, 1.30, 6275.96},
    {85, 3.67, 71430.70},
    {80, 1.81, 17260.15},
    {79, 3.04, 12036.46},
    {75, 1.76, 5088.63},
    {74, 3.50, 3154.69},
    {74, 4.68, 801.82},
    {70, 0.83, 9437.76},
    {62, 3.98, 8827.39},
    {61, 1.82, 7084.90},
    {57, 2.78, 6286.60},
    {56, 4.39, 14143.50},
    {56, 3.47, 6279.55},
    {52, 0.19, 12139.55},
    {52, 1.33, 1748.02},
    {51, 0.28, 5856.48},
    {49, 0.49, 1194.45},
    {41, 5.37, 8429.24},
    {41, 2.40, 19651.05},
    {39, 6.17, 10447.39},
    {37, 6.04, 10213.29},
    {37, 2.57, 1059.38},
    {36, 1.71, 2352.87},
    {36, 1.78, 6812.77},
    {33, 0.59, 17789.85},
    {30, 0.44, 83996.85},
    {30, 2.74, 1349.87},
    {25, 3.16, 4690.48},
};

constexpr VsopTerm kL1[] = {
    {628331966747, 0, 0},       {206059, 2.678235, 6283.075850},
    {4303, 2.6351, 12566.1517}, {425, 1.590, 3.523},
    {119, 5.796, 26.298},       {109, 2.966, 1577.344},
    {93, 2.59, 18849.23},       {72, 1.14, 529.69},
    {68, 1.87, 398.15},         {67, 4.41, 5507.55},
    {59, 2.89, 5223.69},        {56, 2.17, 155.42},
    {45, 0.40, 796.30},         {36, 0.47, 775.52},
    {29, 2.65, 7.11},           {21, 5.34, 0.98},
    {19, 1.85, 5486.78},        {19, 4.97, 213.30},
    {17, 2.99, 6275.96},        {16, 0.03, 2544.31},
    {16, 1.43, 2146.17},        {15, 1.21, 10977.08},
    {12, 2.83, 1748.02},        {12, 3.26, 5088.63},
    {12, 5.27, 1194.45},        {12, 2.08, 4694.00},
    {11, 0.77, 553.57},         {10, 1.30, 6286.60},
    {10, 4.24, 1349.87},        {9, 2.70, 242.73},
    {9, 5.64, 951.72},          {8, 5.30, 2352.87},
    {6, 2.65, 9437.76},         {6, 4.67, 4690.48},
};

constexpr VsopTerm kL2[] = {
    {52919, 0, 0},      {8720, 1.0721, 6283.0758}, {309, 0.867, 12566.152}, {27, 0.05, 3.52},   {16, 5.19, 26.30},
    {16, 3.68, 155.42}, {10, 0.76, 18849.23},      {9, 2.06, 77713.77},     {7, 0.83, 775.52},  {5, 4.66, 1577.34},
    {4, 1.03, 7.11},    {4, 3.44, 5573.14},        {3, 5.14, 796.30},       {3, 6.05, 5507.55}, {3, 1.19, 242.73},
    {3, 6.12, 529.69},  {3, 0.31, 398.15},         {3, 2.28, 553.57},       {2, 4.38, 5223.69}, {2, 3.75, 0.98},
};

constexpr VsopTerm kL3[] = {
    {289, 5.844, 6283.076}, {35, 0, 0},          {17, 5.49, 12566.15}, {3, 5.20, 155.42},
    {1, 4.72, 3.52},        {1, 5.30, 18849.23}, {1, 5.97, 242.73},
};

constexpr VsopTerm kL4[] = {{114, 3.142, 0}, {8, 4.13, 6283.08}, {1, 3.84, 12566.15}};

constexpr VsopTerm kL5[] = {{1, 3.14, 0}};

constexpr VsopTerm kB0[] = {
    {280, 3.199, 84334.662}, {102, 5.422, 5507.553}, {80, 3.88, 5223.69}, {44, 3.70, 2352.87}, {32, 4.00, 1577.34},
};

constexpr VsopTerm kB1[] = {{9, 3.90, 5507.55}, {6, 1.73, 5223.69}};

constexpr VsopTerm kR0[] = {
    {100013989, 0, 0},
    {1670700, 3.0984635, 6283.0758500},
    {13956, 3.05525, 12566.15170},
    {3084, 5.1985, 77713.7715},
    {1628, 1.1739, 5753.3849},
    {1576, 2.8469, 7860.4194},
    {925, 5.453, 11506.770},
    {542, 4.564, 3930.210},
    {472, 3.661, 5884.927},
    {346, 0.964, 5507.553},
    {329, 5.900, 5223.694},
    {307, 0.299, 5573.143},
    {243, 4.273, 11790.629},
    {212, 5.847, 1577.344},
    {186, 5.022, 10977.079},
    {175, 3.012, 18849.228},
    {110, 5.055, 5486.778},
    {98, 0.89, 6069.78},
    {86, 5.69, 15720.84},
    {86, 1.27, 161000.69},
    {65, 0.27, 17260.15},
    {63, 0.92, 529.69},
    {57, 2.01, 83996.85},
    {56, 5.24, 71430.70},
    {49, 3.25, 2544.31},
    {47, 2.58, 775.52},
    {45, 5.54, 9437.76},
    {43, 6.01, 6275.96},
    {39, 5.36, 4694.00},
    {38, 2.39, 8827.39},
    {37, 0.83, 19651.05},
    {37, 4.90, 12139.55},
    {36, 1.67, 12036.46},
    {35, 1.84, 2942.46},
    {33, 0.24, 7084.90},
    {32, 0.18, 5088.63},
    {32, 1.78, 398.15},
    {28, 1.21, 6286.60},
    {28, 1.90, 6279.55},
    {26, 4.59, 10447.39},
};

constexpr VsopTerm kR1[] = {
    {103019, 1.107490, 6283.075850},
    {1721, 1.0644, 12566.1517},
    {702, 3.142, 0},
    {32, 1.02, 18849.23},
    {31, 2.84, 5507.55},
    {25, 1.32, 5223.69},
    {18, 1.42, 1577.34},
    {10, 5.91, 10977.08},
    {9, 1.42, 6275.96},
    {9, 0.27, 5486.78},
};

constexpr VsopTerm kR2[] = {
    {4359, 5.7846, 6283.0758}, {124, 5.579, 12566.152}, {12, 3.14, 0},
    {9, 3.63, 77713.77},       {6, 1.87, 5573.14},      {3, 5.47, 18849.23},
};

constexpr VsopTerm kR3[] = {{145, 4.273, 6283.076}, {7, 3.92, 12566.15}};

constexpr VsopTerm kR4[] = {{4, 2.56, 6283.08}};

double vsopSeries(std::span<const VsopTerm> terms, double tau) {
    double sum = 0.0;
    for (const VsopTerm& t : terms) {
        sum += t.a * std::cos(t.b + t.c * tau);
    }
    return sum;
}

// Evaluates sum_i series_i(tau) tau^i, 1e-8 units to radians or AU.
double vsopPolynomial(std::span<const std::span<const VsopTerm>> series, double tau) {
    double sum = 0.0;
    double power = 1.0;
    for (const auto& s : series) {
        sum += vsopSeries(s, tau) * power;
        power *= tau;
    }
    return sum * 1e-8;
}

// --- Nutation in longitude (Meeus table 22.A, terms down to 0.001") -------

struct NutationTerm {
    signed char d, m, mp, f, om; // multiples of D, M, M', F, Omega
    double psi, psiT;            // 0.0001" and 0.0001" per century
};

constexpr NutationTerm kNutation[] = {
    {0, 0, 0, 0, 1, -171996, -174.2}, {-2, 0, 0, 2, 2, -13187, -1.6}, {0, 0, 0, 2, 2, -2274, -0.2},
    {0, 0, 0, 0, 2, 2062, 0.2},       {0, 1, 0, 0, 0, 1426, -3.4},    {0, 0, 1, 0, 0, 712, 0.1},
    {-2, 1, 0, 2, 2, -517, 1.2},      {0, 0, 0, 2, 1, -386, -0.4},    {0, 0, 1, 2, 2, -301, 0},
    {-2, -1, 0, 2, 2, 217, -0.5},     {-2, 0, 1, 0, 0, -158, 0},      {-2, 0, 0, 2, 1, 129, 0.1},
    {0, 0, -1, 2, 2, 123, 0},         {2, 0, 0, 0, 0, 63, 0},         {0, 0, 1, 0, 1, 63, 0.1},
    {2, 0, -1, 2, 2, -59, 0},         {0, 0, -1, 0, 1, -58, -0.1},    {0, 0, 1, 2, 1, -51, 0},
    {-2, 0, 2, 0, 0, 48, 0},          {0, 0, -2, 2, 1, 46, 0},        {2, 0, 0, 2, 2, -38, 0},
    {0, 0, 2, 2, 2, -31, 0},          {0, 0, 2, 0, 0, 29, 0},         {-2, 0, 1, 2, 2, 29, 0},
    {0, 0, 0, 2, 0, 26, 0},           {-2, 0, 0, 2, 0, -22, 0},       {0, 0, -1, 2, 1, 21, 0},
    {0, 2, 0, 0, 0, 17, -0.1},        {2, 0, -1, 0, 1, 16, 0},        {-2, 2, 0, 2, 2, -16, 0.1},
    {0, 1, 0, 0, 1, -15, 0},          {-2, 0, 1, 0, 1, -13, 0},       {0, -1, 0, 0, 1, -12, 0},
    {0, 0, 2, -2, 0, 11, 0},          {2, 0, -1, 2, 1, -10, 0},
};

// --- Moon's phases (Meeus ch. 49) ------------------------------------------

constexpr double kSynodicMonth = 29.530588861;

struct PlanetaryTerm {
    double a0, a1, a2, amplitude; // amplitude * sin(a0 + a1 k + a2 T^2), days
};

// The additional corrections A1..A14, from the planets' pull on the Moon.
constexpr PlanetaryTerm kPlanetary[] = {
    {299.77, 0.107408, -0.009173, 0.000325}, {251.88, 0.016321, 0, 0.000165}, {251.83, 26.651886, 0, 0.000164},
    {349.42, 36.412478, 0, 0.000126},        {84.66, 18.206239, 0, 0.000110}, {141.74, 53.303771, 0, 0.000062},
    {207.14, 2.453732, 0, 0.000060},         {154.84, 7.306860, 0, 0.000056}, {34.52, 27.261239, 0, 0.000047},
    {207.19, 0.121824, 0, 0.000042},         {291.34, 1.844379, 0, 0.000040}, {161.72, 24.198154, 0, 0.000037},
    {239.56, 25.513099, 0, 0.000035},        {331.55, 3.592518, 0, 0.000023},
};

double meanNewMoonJde(double k) {
    const double t = k / 1236.85;
    return 2451550.09766 + kSynodicMonth * k + t * t * (0.00015437 + t * (-0.000000150 + t * 0.00000000073));
}

} // namespace

double deltaTSeconds(double y) {
    if (y < 1986.0) {
        const double t = y - 1975.0;
        return 45.45 + 1.067 * t - t * t / 260.0 - t * t * t / 718.0;
    }
    if (y < 2005.0) {
        const double t = y - 2000.0;
        return 63.86 + t * (0.3345 + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
    }
    // Espenak and Meeus give this piece for 2005..2050 and another for
    // 2050..2150 that climbs to the long-term parabola of Morrison and
    // Stephenson, 196 s in 2097. TT - UT has grown far more slowly since 2000
    // than that (69 s in 2025, 74 s here), and the almanacs date the new moon
    // of January 2097, 3 min 6 s after JST midnight in TT, on the 14th, which
    // needs less than 186 s. This piece, carried on, gives 147 s.
    const double t = y - 2000.0;
    return 62.92 + t * (0.32217 + t * 0.005589);
}

double newMoonJde(int k) {
    const double kk = k;
    const double t = kk / 1236.85;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    const double e = 1.0 - 0.002516 * t - 0.0000074 * t2;
    const double m = 2.5534 + 29.10535670 * kk - 0.0000014 * t2 - 0.00000011 * t3;
    const double mp = 201.5643 + 385.81693528 * kk + 0.0107582 * t2 + 0.00001238 * t3 - 0.000000058 * t4;
    const double f = 160.7108 + 390.67050284 * kk - 0.0016118 * t2 - 0.00000227 * t3 + 0.000000011 * t4;
    const double om = 124.7746 - 1.56375588 * kk + 0.0020672 * t2 + 0.00000215 * t3;

    double c = 0.0;
    c += -0.40720 * sinDeg(mp);
    c += 0.17241 * e * sinDeg(m);
    c += 0.01608 * sinDeg(2 * mp);
    c += 0.01039 * sinDeg(2 * f);
    c += 0.00739 * e * sinDeg(mp - m);
    c += -0.00514 * e * sinDeg(mp + m);
    c += 0.00208 * e * e * sinDeg(2 * m);
    c += -0.00111 * sinDeg(mp - 2 * f);
    c += -0.00057 * sinDeg(mp + 2 * f);
    c += 0.00056 * e * sinDeg(2 * mp + m);
    c += -0.00042 * sinDeg(3 * mp);
    c += 0.00042 * e * sinDeg(m + 2 * f);
    c += 0.00038 * e * sinDeg(m - 2 * f);
    c += -0.00024 * e * sinDeg(2 * mp - m);
    c += -0.00017 * sinDeg(om);
    c += -0.00007 * sinDeg(mp + 2 * m);
    c += 0.00004 * sinDeg(2 * mp - 2 * f);
    c += 0.00004 * sinDeg(3 * m);
    c += 0.00003 * sinDeg(mp + m - 2 * f);
    c += 0.00003 * sinDeg(2 * mp + 2 * f);
    c += -0.00003 * sinDeg(mp + m + 2 * f);
    c += 0.00003 * sinDeg(mp - m + 2 * f);
    c += -0.00002 * sinDeg(mp - m - 2 * f);
    c += -0.00002 * sinDeg(3 * mp + m);
    c += 0.00002 * sinDeg(4 * mp);

    double a = 0.0;
    for (const PlanetaryTerm& p : kPlanetary) {
        a += p.amplitude * sinDeg(p.a0 + p.a1 * kk + p.a2 * t2);
    }

    return meanNewMoonJde(kk) + c + a;
}

int lunationNear(double jde) {
    return static_cast<int>(std::lround((jde - 2451550.09766) / kSynodicMonth));
}

HeliocentricEarth heliocentricEarth(double jde) {
    const double tau = (jde - kJ2000) / 365250.0;
    const std::span<const VsopTerm> l[] = {kL0, kL1, kL2, kL3, kL4, kL5};
    const std::span<const VsopTerm> b[] = {kB0, kB1};
    const std::span<const VsopTerm> r[] = {kR0, kR1, kR2, kR3, kR4};
    return {vsopPolynomial(l, tau), vsopPolynomial(b, tau), vsopPolynomial(r, tau)};
}

double nutationInLongitudeArcsec(double jde) {
    const double t = (jde - kJ2000) / 36525.0;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double d = 297.85036 + 445267.111480 * t - 0.0019142 * t2 + t3 / 189474.0;
    const double m = 357.52772 + 35999.050340 * t - 0.0001603 * t2 - t3 / 300000.0;
    const double mp = 134.96298 + 477198.867398 * t + 0.0086972 * t2 + t3 / 56250.0;
    const double f = 93.27191 + 483202.017538 * t - 0.0036825 * t2 + t3 / 327270.0;
    const double om = 125.04452 - 1934.136261 * t + 0.0020708 * t2 + t3 / 450000.0;
    double psi = 0.0;
    for (const NutationTerm& n : kNutation) {
        const double arg = n.d * d + n.m * m + n.mp * mp + n.f * f + n.om * om;
        psi += (n.psi + n.psiT * t) * sinDeg(arg);
    }
    return psi * 0.0001;
}

SunPosition apparentSun(double jde) {
    const HeliocentricEarth earth = heliocentricEarth(jde);
    // Geocentric: the Sun lies opposite the Earth.
    const double theta = earth.longitude / kDegree + 180.0;
    // From VSOP87's dynamical frame to FK5; in longitude this is a constant.
    const double fk5 = -0.09033;
    const double aberration = -20.4898 / earth.radius;
    const double longitude = theta + (fk5 + nutationInLongitudeArcsec(jde) + aberration) / 3600.0;
    return {reduce360(longitude), earth.radius};
}

double solarLongitudeJde(double longitudeDegrees, double guessJde) {
    // Secant iteration on the longitude error; the mean motion gives the first
    // step, and the Sun's speed varies slowly enough for a handful of steps.
    auto error = [longitudeDegrees](double jde) { return reduce180(apparentSun(jde).longitude - longitudeDegrees); };
    double x0 = guessJde;
    double f0 = error(x0);
    double x1 = x0 - f0 * kTropicalYearDays / 360.0;
    for (int i = 0; i < 30; ++i) {
        const double f1 = error(x1);
        if (f1 == f0) {
            break;
        }
        const double x2 = x1 - f1 * (x1 - x0) / (f1 - f0);
        x0 = x1;
        f0 = f1;
        x1 = x2;
        if (std::fabs(x1 - x0) < 1e-9) {
            break;
        }
    }
    return x1;
}

JstMoment toJst(double jde) {
    const double decimalYear = 2000.0 + (jde - kJ2000) / 365.2425;
    const double jdUt = jde - deltaTSeconds(decimalYear) / 86400.0;
    // Civil days begin at JD .5; Japan is nine hours ahead of UT.
    const double civil = jdUt + 9.0 / 24.0 + 0.5;
    const double day = std::floor(civil);
    constexpr long long kJdnOf19700101 = 2440588;
    return {static_cast<long long>(day) - kJdnOf19700101, (civil - day) * 1440.0};
}

} // namespace velmora::lunar
