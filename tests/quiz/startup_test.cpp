#include "form1.h"
#include "quiz.h"
#include "recording_multimedia.h"
#include "sound.h"
#include "virtual_clock.h"

#include <gtest/gtest.h>

using namespace pelmora;

TEST(Startup, Smoke)
{
    Form1 form;
    RecordingMultimedia mm;
    Sound sound(mm, "C:\\Apps\\Quiz");
    Quiz quiz(form, sound);
    quiz.bind();
    form.load();
    EXPECT_EQ(quiz.QuestionIndex, 0);
}
