# String building: the same work as strings.vbs, line for line (Mid, InStr, Left and Right
# written as slices and find on 1-based positions).
import time

n = 50000
t0 = time.perf_counter()
s = ""
hits = 0
acc = 0
for i in range(1, n + 1):
    part = chr(65 + (i % 26)) + str(i % 97)
    s = s + part
    if len(s) > 2000:
        s = s[999:]
    if s.find("Q42") + 1 > 0:
        hits = hits + 1
    acc = (acc + ord(s[(i % len(s))]) + len(part[:1].upper() + part[-1:])) % 65521
print("strings " + str(len(s)) + " " + str(hits) + " " + str(acc))
print("in-script seconds: %.3f" % (time.perf_counter() - t0))
