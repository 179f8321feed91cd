# Integer loop arithmetic: the same work as int_loop.vbs, line for line.
import time

n = 600000
t0 = time.perf_counter()
s = 0
t = 7
for i in range(1, n + 1):
    s = (s + i * 3 - (i // 7)) % 1000003
    t = (t ^ i) & 0xFFFF
    if s > 500000:
        s = s - 12345
print("int_loop " + str(s) + " " + str(t))
print("in-script seconds: %.3f" % (time.perf_counter() - t0))
