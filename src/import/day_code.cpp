#include "import/day_code.h"

#include "timetable/train_codes.h"

namespace velomar {

ChosenCode TrainCodeFor(int type, WeekDays days) {
    ChosenCode best{{}, false};
    int bestCount = 8;
    for (const TrainCodeInfo& info : kTrainCodes) {
        if (info.code[3] != u'0' + type) {
            continue;
        }
        const WeekDays codeDays = DaysOfTrainCode(info.code);
        const int count = CountDays(codeDays);
        if ((codeDays & days) == days && count < bestCount) {
            best = {info.code, codeDays == days};
            bestCount = count;
        }
    }
    return best;
}

}  // namespace velomar
