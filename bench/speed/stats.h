// Samples of one figure, in milliseconds.
#pragma once

enum { STATS_MAX = 64 };

typedef struct
{
  double v[STATS_MAX];
  int n;
} Stats;

void statsAdd(Stats *s, double milliseconds);
double statsMedian(const Stats *s);   // -1 when empty
double statsMax(const Stats *s);      // -1 when empty
