// What the base generators share.
#pragma once

// Letter n (counted from 1) of a generated base is unread when n is a
// multiple of unreadEvery (10: a tenth of the letters); 0 makes every letter
// read.
inline bool IsUnreadLetter(long n, int unreadEvery)
{
    return unreadEvery > 0 && n % unreadEvery == 0;
}
