#pragma once

// The few ephemeris quantities the old calendar needs: true new moons and the
// Sun's apparent longitude, in Terrestrial Time, and the step from there to a
// civil date in Japan. The formulas are the classical series of Meeus,
// "Astronomical Algorithms" (2nd ed.): ch. 49 for the Moon's phases, the
// truncated VSOP87 of its appendix for the Earth, ch. 22 for nutation.

namespace velmora::lunar {

// Julian Ephemeris Day of J2000.0.
inline constexpr double kJ2000 = 2451545.0;

// TT - UT in seconds for a decimal year, from the Espenak-Meeus polynomials;
// their piece for 2005..2050 serves every later year, and the earliest piece
// every earlier one.
double deltaTSeconds(double decimalYear);

// The instant (JDE) of the true new moon with lunation number k; k = 0 is the
// new moon of 6 January 2000.
double newMoonJde(int k);

// The lunation number whose new moon falls closest to the given JDE.
int lunationNear(double jde);

struct SunPosition {
    double longitude; // apparent geocentric longitude, degrees in [0, 360)
    double radius;    // Earth-Sun distance, AU
};

// The Sun as seen from the centre of the Earth at JDE: VSOP87 heliocentric
// Earth, made geocentric, brought to FK5, plus nutation in longitude and
// aberration.
SunPosition apparentSun(double jde);

// Heliocentric ecliptic coordinates of the Earth (VSOP87, mean equinox of
// date): longitude and latitude in radians (longitude not reduced), radius AU.
struct HeliocentricEarth {
    double longitude;
    double latitude;
    double radius;
};
HeliocentricEarth heliocentricEarth(double jde);

// Nutation in longitude, arcseconds.
double nutationInLongitudeArcsec(double jde);

// The instant (JDE) near `guessJde` (within about ten days) at which the
// Sun's apparent longitude equals `longitudeDegrees`.
double solarLongitudeJde(double longitudeDegrees, double guessJde);

// A moment in Japan Standard Time (UTC+9), from an instant in TT.
struct JstMoment {
    long long dayNumber; // days since 1970-01-01 of the civil date in Japan
    double minuteOfDay;  // JST clock time, minutes after midnight
};
JstMoment toJst(double jde);

} // namespace velmora::lunar
