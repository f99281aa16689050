// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1.h"

namespace pelmora {

namespace {

template <typename T, std::size_t N, std::size_t... I>
std::array<T, N> makeArray(const char* name, std::index_sequence<I...>)
{
    return {T(name, static_cast<int>(I))...};
}

template <typename T, std::size_t N>
std::array<T, N> makeArray(const char* name)
{
    return makeArray<T, N>(name, std::make_index_sequence<N>{});
}

} // namespace

Form1::Form1()
    : Answer(makeArray<CommandButton, 10>("Answer")),
      Image1(makeArray<PictureBox, 10>("Image1")),
      TREE(makeArray<PictureBox, 8>("TREE"))
{
    Mondai.setGeometry(104, 0, 409, 121);
    Mondai.setEnabled(false);

    for (int i = 0; i < 10; ++i) {
        Answer[i].setGeometry(112 + 40 * i, 520, 41, 50);
        Answer[i].setCaption(std::to_string(i + 1));
    }

    Label1.setGeometry(84, 256, 469, 46);
    Label1.setVisible(false);

    YES.setGeometry(144, 89, 302, 339);
    YES.setPicture(makePicture(Art::Circle));
    No.setGeometry(147, 122, 302, 339);
    No.setPicture(makePicture(Art::Cross));

    for (auto& slot : Image1)
        slot.setGeometry(0, 0, 97, 113);

    // Eight copies of one tree, in two columns of four.
    const PictureRef tree = makePicture(Art::Tree);
    for (int i = 0; i < 8; ++i) {
        TREE[i].setGeometry(i < 4 ? 0 : 544, 136 * (i % 4), 86, 140);
        TREE[i].setPicture(tree);
    }

    // The character templates are parked at the bottom edge.
    santa.setGeometry(8, 584, 100, 112);
    santa.setPicture(makePicture(Art::Santa));
    Tonakai.setGeometry(112, 576, 100, 116);
    Tonakai.setPicture(makePicture(Art::Reindeer));
    BELL.setGeometry(208, 584, 100, 73);
    BELL.setPicture(makePicture(Art::Bell));
    Snowman.setGeometry(301, 588, 79, 110);
    Snowman.setPicture(makePicture(Art::Snowman));

    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    Timer2.setInterval(5000);
    // Timer3 is enabled with no interval: it waits for start-up to give it one.

    Timer1.setHandler([this] { if (events.Timer1_Timer) events.Timer1_Timer(); });
    Timer2.setHandler([this] { if (events.Timer2_Timer) events.Timer2_Timer(); });
    Timer3.setHandler([this] { if (events.Timer3_Timer) events.Timer3_Timer(); });
}

void Form1::load()
{
    if (events.Form_Load)
        events.Form_Load();
}

void Form1::clickAnswer(std::int16_t index)
{
    if (events.Answer_Click)
        events.Answer_Click(index);
}

std::vector<VisualRef> Form1::stackingOrder()
{
    std::vector<VisualRef> order{&Answer[1], &Answer[0], &Mondai};
    for (int i = 9; i >= 2; --i)
        order.push_back(&Answer[i]);
    order.insert(order.end(), {&Label1, &No, &YES});
    for (int i = 9; i >= 0; --i)
        order.push_back(&Image1[i]);
    order.insert(order.end(), {&Snowman, &Tonakai, &BELL});
    for (int i = 7; i >= 0; --i)
        order.push_back(&TREE[i]);
    order.push_back(&santa);
    return order;
}

std::vector<VisualControl*> Form1::tabOrder()
{
    std::vector<VisualControl*> order{&Mondai};
    for (int i = 2; i <= 9; ++i)
        order.push_back(&Answer[i]);
    order.insert(order.end(), {&Answer[0], &Answer[1], &Label1});
    return order;
}

} // namespace pelmora
