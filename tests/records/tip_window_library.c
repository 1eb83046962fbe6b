/* A dialog library that has the showTipWindow the real one lacks: it keeps
   the value it was called with. */
void *lastTipValue;

void showTipWindow(void *value)
{
    lastTipValue = value;
}
