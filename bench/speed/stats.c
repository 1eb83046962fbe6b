#include "stats.h"
#include <stdlib.h>
#include <string.h>

void statsAdd(Stats *s, double milliseconds)
{
  if (s->n < STATS_MAX)
    s->v[s->n++] = milliseconds;
}

static int byValue(const void *a, const void *b)
{
  double x = *(const double *)a, y = *(const double *)b;
  return x < y ? -1 : x > y;
}

double statsMedian(const Stats *s)
{
  double sorted[STATS_MAX];
  if (s->n == 0)
    return -1;
  memcpy(sorted, s->v, s->n * sizeof *sorted);
  qsort(sorted, s->n, sizeof *sorted, byValue);
  return s->n % 2 ? sorted[s->n / 2] : (sorted[s->n / 2 - 1] + sorted[s->n / 2]) / 2;
}

double statsMax(const Stats *s)
{
  double m = -1;
  int i;
  for (i = 0; i < s->n; i++)
    if (s->v[i] > m)
      m = s->v[i];
  return m;
}
