# A headless-host script of random play: Enter, arrows held for a while, the
# space bar, other keys, and switches away from the game and back, never
# Escape. The same seed gives the same script (with the same awk).
#   awk -v frames=N -v seed=S [-v first=F] -f random_input.awk > script
function press(name, at, held) {
    print at " down " name
    print at + held " up " name
}
BEGIN {
    if (frames == "" || seed == "") {
        print "random_input.awk: give -v frames=N -v seed=S" > "/dev/stderr"
        exit 2
    }
    srand(seed)
    f = first == "" ? 10 : first
    while (f < frames - 200) {
        r = rand()
        if (r < 0.30) {
            press("RETURN", f, 1)
        } else if (r < 0.55) {
            press(rand() < 0.5 ? "LEFT" : "RIGHT", f, 1 + int(rand() * 60))
        } else if (r < 0.78) {
            press("SPACE", f, 1)
        } else if (r < 0.90) {
            away = 1 + int(rand() * 120)
            print f " blur"
            print f + away " focus"
            f += away
        } else {
            split("UP DOWN A 7 Z", others, " ")
            press(others[1 + int(rand() * 5)], f, 1 + int(rand() * 5))
        }
        f += 1 + int(rand() * 40)
    }
}
