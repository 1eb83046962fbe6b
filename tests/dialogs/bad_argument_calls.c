// Every entry point called from C with what a careless or hostile caller may
// pass: null pointers, bytes that are not UTF-8, negative and huge numbers,
// null and odd arrays.
#include "bad_argument_calls.h"
#include "keydialogs.h"
#include <limits.h>
#include <string.h>

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"
#define NOT_UTF8 "\xff\xfe\xc3\x28"
#define CUT_UTF8 "\xe8\xaf"  /* the first two bytes of a three-byte character */
#define ENTRY(name) ((__typeof__(&name))kdtSymbol(#name))

static char pin[KEYDIALOGS_PIN_MAX + 8];
static int pinLen;

static int pinNoBuffer(void) { return ENTRY(P11_BlockPopPin)(NULL, &pinLen); }
static int pinNoLength(void) { return ENTRY(P11_BlockPopPin)(pin, NULL); }
static int pinNothing(void) { return ENTRY(P11_BlockPopPin)(NULL, NULL); }
static int promptNoBuffer(void) { return ENTRY(P11_BlockPopPin_pic)(NULL, &pinLen, "", BUNDLE); }
static int promptNoLength(void) { return ENTRY(P11_BlockPopPin_pic)(pin, NULL, NULL, NULL); }
static int promptNotUTF8(void) { return ENTRY(P11_BlockPopPin_pic)(pin, &pinLen, NOT_UTF8, NOT_UTF8); }
static int promptNullTexts(void) { return ENTRY(P11_BlockPopPin_pic)(pin, &pinLen, NULL, CUT_UTF8); }

static int certNull(void) { return ENTRY(selectCertAlertWithArr)(NULL); }
static int certEmpty(void) { return ENTRY(selectCertAlertWithArr)(kdtOddArray(KDTEmptyArray)); }
static int certNonDictionaries(void)
{
  return ENTRY(selectCertAlertWithArr)(kdtOddArray(KDTArrayOfNonDictionaries));
}
static int certOddDictionaries(void)
{
  return ENTRY(selectCertAlertWithArr)(kdtOddArray(KDTArrayOfOddDictionaries));
}
static int keyNull(void) { return ENTRY(selectKeyAlertWithArr)(NULL); }
static int keyNonDictionaries(void)
{
  return ENTRY(selectKeyAlertWithArr)(kdtOddArray(KDTArrayOfNonDictionaries));
}
static int keyOddDictionaries(void)
{
  return ENTRY(selectKeyAlertWithArr)(kdtOddArray(KDTArrayOfOddDictionaries));
}

static int initNull(void) { return ENTRY(keyInitAlert)(NULL, NULL); }
static int initNotUTF8(void) { return ENTRY(keyInitAlert)(NOT_UTF8, CUT_UTF8); }

static int messageNull(void) { return ENTRY(P11_ShowMsg)(NULL, INT_MIN); }
static int messageCut(void) { return ENTRY(P11_ShowMsg)(CUT_UTF8, -1); }
static int message2NotUTF8(void) { return ENTRY(P11_ShowMsg2)(NOT_UTF8, INT_MAX); }

static int countdownNegative(void)
{
  return ENTRY(showCountDownWindow)(-5, NULL, NULL, -100, -100, NULL);
}
static int countdownNotUTF8(void)
{
  return ENTRY(showCountDownWindow)(INT_MIN, NOT_UTF8, CUT_UTF8, 0, 0, NULL);
}
static int countdownHuge(void)
{
  return ENTRY(showCountDownWindow)(0, "QVLedChangepin", NULL, INT_MAX, INT_MAX, NULL);
}
static int closeWithoutWindow(void)
{
  ENTRY(closeWindow)();
  ENTRY(closeWindow_t)();
  return 0;
}

const KDTBadCall kdtBadCalls[] = {
  { "close calls with no countdown window", closeWithoutWindow, KDTNoWindow, NULL, 0 },
  { "PIN window, null buffer", pinNoBuffer, KDTNoWindow, NULL, -1 },
  { "PIN window, null length", pinNoLength, KDTNoWindow, NULL, -1 },
  { "PIN window, both null", pinNothing, KDTNoWindow, NULL, -1 },
  { "PIN prompt, null buffer", promptNoBuffer, KDTNoWindow, NULL, -1 },
  { "PIN prompt, null length", promptNoLength, KDTNoWindow, NULL, -1 },
  { "PIN prompt, texts not UTF-8", promptNotUTF8, KDTPressButton, "OK", 0 },
  { "PIN prompt, null text, cut bundle path", promptNullTexts, KDTPressButton, "OK", 0 },
  { "certificates, null list (an empty table)", certNull, KDTPressButton, "确定", 0 },
  { "certificates, empty list", certEmpty, KDTPressButton, "取消", 0 },
  { "certificates, no dictionaries", certNonDictionaries, KDTPressButton, "确定", 0 },
  { "certificates, odd dictionaries", certOddDictionaries, KDTPressButton, "确定", 0 },
  { "tokens, null list (an empty table)", keyNull, KDTPressButton, "确定", 0 },
  { "tokens, no dictionaries", keyNonDictionaries, KDTPressButton, "取消", 0 },
  { "tokens, odd dictionaries", keyOddDictionaries, KDTPressButton, "确定", 0 },
  { "initialisation, null name and path", initNull, KDTPressButton, "确定", 1 },
  { "initialisation, name and path not UTF-8", initNotUTF8, KDTPressButton, "取消", 0 },
  { "message, null text", messageNull, KDTPressButton, "OK", 0 },
  { "message, cut character", messageCut, KDTPressButton, "OK", 0 },
  { "message with cancel, not UTF-8", message2NotUTF8, KDTPressButton, "取消", 1 },
  { "countdown, negative time and size", countdownNegative, KDTEndsItself, NULL, 0 },
  { "countdown, names not UTF-8", countdownNotUTF8, KDTEndsItself, NULL, 0 },
  { "countdown, huge size", countdownHuge, KDTEndsItself, NULL, 0 },
  { NULL, NULL, KDTNoWindow, NULL, 0 }
};
