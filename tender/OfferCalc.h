#pragma once
// The offer calculation's logic that draws nothing; the main window uses it.

// The tender's rounding rule for a discount with N decimals: the value is
// looked at to N + 6 decimals; when the three digits after the N-th are
// "500" the discount keeps N + 1 decimals (that 5) unrounded, otherwise it
// is rounded to N decimals on its first N + 1 digits.
double RoundDiscount(int decimals, double value);
