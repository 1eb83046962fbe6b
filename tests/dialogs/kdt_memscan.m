#define _GNU_SOURCE
#import "kdt_memscan.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

enum { piece = 8, chunkSize = 1 << 20, overlap = piece * 4, maxCopies = 64 };

// The chunk buffer holds what was read: it lies in a mapping of its own that
// the scan leaves out, and is masked before anything searches it.
static unsigned char *chunk;

typedef struct
{
  uintptr_t start;   // where the PIN (or the piece's PIN) would begin
  int width;         // bytes per character
  unsigned pieces;   // bit s: the piece starting at character s was seen
  char mapping[80];
} Copy;

typedef struct
{
  const KDTSecret *secret;
  Copy copies[maxCopies];
  int count;
} Scan;

// The masked form of the piece of `width`-byte characters starting at `s`.
static size_t maskedPiece(const KDTSecret *secret, int width, size_t s, unsigned char *out)
{
  size_t i, n = 0;
  int b;
  for (i = s; i < s + piece; i++)
    {
      out[n++] = secret->masked[i];
      for (b = 1; b < width; b++)
        out[n++] = kdtSecretMask;  // the zero bytes of a wide character
    }
  return n;
}

static void noteHit(Scan *scan, uintptr_t start, int width, size_t s, const char *mapping)
{
  int i;
  for (i = 0; i < scan->count; i++)
    if (scan->copies[i].start == start && scan->copies[i].width == width)
      {
        scan->copies[i].pieces |= 1u << s;
        return;
      }
  if (scan->count == maxCopies)
    return;
  Copy *c = &scan->copies[scan->count++];
  c->start = start;
  c->width = width;
  c->pieces = 1u << s;
  snprintf(c->mapping, sizeof c->mapping, "%s", mapping);
}

// Searches `n` bytes read from `at` (already masked in place).
static void searchChunk(Scan *scan, uintptr_t at, size_t n, size_t fresh, const char *mapping)
{
  static const int widths[] = { 1, 2, 4 };
  unsigned char pattern[piece * 4];
  size_t w, s;
  for (w = 0; w < 3; w++)
    for (s = 0; s + piece <= scan->secret->length; s++)
      {
        size_t len = maskedPiece(scan->secret, widths[w], s, pattern);
        const unsigned char *p = chunk, *end = chunk + n;
        while ((p = memmem(p, end - p, pattern, len)) != NULL)
          {
            // A hit that began in the overlap was counted with the chunk before.
            if ((size_t)(p - chunk) < fresh)
              noteHit(scan, at + (p - chunk) - s * widths[w], widths[w], s, mapping);
            p++;
          }
      }
}

static void scanRange(Scan *scan, uintptr_t lo, uintptr_t hi, const char *mapping)
{
  uintptr_t at;
  for (at = lo; at < hi; at += chunkSize)
    {
      size_t want = hi - at < chunkSize + overlap ? hi - at : chunkSize + overlap;
      struct iovec local = { chunk, want }, remote = { (void *)at, want };
      ssize_t got = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
      size_t i;
      if (got <= 0)
        continue;
      for (i = 0; i < (size_t)got; i++)
        chunk[i] ^= kdtSecretMask;
      searchChunk(scan, at, (size_t)got, chunkSize, mapping);
    }
}

int kdtScanForSecret(const KDTSecret *secret, const char *label)
{
  static Scan scan;
  char line[512];
  FILE *maps;
  int i;

  if (chunk == NULL)
    {
      chunk = mmap(NULL, chunkSize + overlap, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (chunk == MAP_FAILED)
        {
          perror("mmap");
          exit(2);
        }
    }
  memset(&scan, 0, sizeof scan);
  scan.secret = secret;
  if ((maps = fopen("/proc/self/maps", "r")) == NULL)
    {
      perror("/proc/self/maps");
      exit(2);
    }
  while (fgets(line, sizeof line, maps) != NULL)
    {
      unsigned long lo, hi;
      char perms[5], path[256] = "";
      if (sscanf(line, "%lx-%lx %4s %*s %*s %*s %255[^\n]", &lo, &hi, perms, path) < 3)
        continue;
      if (perms[0] != 'r' || (unsigned char *)lo == chunk
          || strcmp(path, "[vvar]") == 0 || strcmp(path, "[vsyscall]") == 0)
        continue;
      if (path[0] == '\0')
        snprintf(path, sizeof path, "anonymous %s", perms);
      scanRange(&scan, lo, hi, path);
    }
  fclose(maps);
  memset(chunk, 0, chunkSize + overlap);

  for (i = 0; i < scan.count; i++)
    {
      const Copy *c = &scan.copies[i];
      unsigned whole = (1u << (secret->length - piece + 1)) - 1;
      fprintf(stderr, "%s: copy at %#lx (%s), UTF-%d%s, %s\n", label,
              (unsigned long)c->start, c->mapping, c->width * 8, c->width > 1 ? "LE" : "",
              (c->pieces & whole) == whole ? "whole" : "in part");
    }
  fprintf(stderr, "%s: %d cop%s\n", label, scan.count, scan.count == 1 ? "y" : "ies");
  return scan.count;
}

// Writes the PIN as `width`-byte characters, from character `from` to `to`.
static void plant(unsigned char *at, const KDTSecret *secret, int width, size_t from, size_t to)
{
  size_t i;
  memset(at, 0, (to - from) * width);
  for (i = from; i < to; i++)
    at[(i - from) * width] = secret->masked[i] ^ kdtSecretMask;
}

int kdtScanFindsPlantedCopies(const KDTSecret *secret)
{
  enum { room = KDT_SECRET_MAX * 4 + 16 };
  volatile unsigned char onStack[room];
  unsigned char *heap = malloc(3 * room);
  int ok, found, gone;

  plant((unsigned char *)onStack, secret, 1, 0, secret->length);
  plant(heap, secret, 2, 0, secret->length);
  plant(heap + room, secret, 4, 0, secret->length);
  plant(heap + 2 * room, secret, 1, secret->length - piece, secret->length);
  found = kdtScanForSecret(secret, "planted copies");
  explicit_bzero((void *)onStack, sizeof onStack);
  explicit_bzero(heap, 3 * room);
  free(heap);
  gone = kdtScanForSecret(secret, "planted copies wiped");
  ok = found == 4 && gone == 0;
  if (!ok)
    fprintf(stderr, "the scan found %d of 4 planted copies and %d after wiping\n", found, gone);
  return ok;
}
