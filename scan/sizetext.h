#pragma once

#include <QString>

// The size text stored in SIZE: at most six characters, decimal units, halves rounded
// up, "." as decimal separator. Bands:
//   n < 1,000                 "#0 B"      1,000 <= n < 100,000      "#0.0 K"
//   100,000 <= n < 1,000,000  "#0 K"      1,000,000 <= n < 10^8     "#0.0 M"
//   10^8 <= n < 10^9          "#0 M"      10^9 <= n < 10^11         "#0.0 G"
//   n >= 10^11                "> 99 G"
// A size whose one-decimal text would round up to 100.0 (99,950 to 99,999 bytes, and
// the same in M and G) would need seven characters and lose its unit in the field; it is
// shown the way the next band shows its smallest sizes instead: "100 K", "100 M",
// "> 99 G".
QString sizeText(quint64 n);

// The same text written to out (at least kSizeTextCapacity bytes, no terminating zero),
// for walks that compare it with a stored field without building strings. Returns its
// length.
constexpr int kSizeTextCapacity = 8;
int sizeTextInto(quint64 n, char *out);
