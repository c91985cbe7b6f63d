// The random draws behind the background grain and the strip choice.
//
// The clock uses the C library's rand() sequence, never seeded. On glibc the same sequence is
// produced here from a private copy of its additive generator: bit for bit the values rand()
// gives, without the lock that rand() takes on every call (generation makes 15.6 million draws).
#pragma once

// Next value of the sequence, as rand() would return it.
int draw_random(void);
// The next count values of the sequence into values, as count calls of draw_random() would.
void draw_random_block(int* values, int count);
// Restarts the sequence as srand(seed) would; the clock itself never calls it.
void seed_draws(unsigned seed);
