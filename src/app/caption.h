// The window caption, chosen once from the date at start-up.
#pragma once

// The caption for a day of the month (1-31) and a month counted from 0.
const char* caption_for_date(int monthDay, int month);
