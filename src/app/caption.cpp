#include "app/caption.h"

const char* caption_for_date(int monthDay, int month) {
    if (monthDay == 19 && month == 7) { // 19 August
        return "QA TLHO' From Quillmark";
    }
    return "Chronwick a Klingon Clock - Quillmark 2006";
}
