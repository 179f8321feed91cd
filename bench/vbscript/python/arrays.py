# Arrays: the same work as arrays.vbs, line for line (ReDim as a list of n + 1 items, a 2-D
# array as a list of rows, ReDim Preserve as growing the list).
import time

n = 100000
t0 = time.perf_counter()
a = [None] * (n + 1)
for i in range(0, n + 1):
    a[i] = (i * 7) % 1013
for k in range(1, 4):
    s = 0
    for i in range(0, len(a)):
        s = s + a[i]
b = [[None] * 200 for _ in range(200)]
for i in range(0, 200):
    for j in range(0, 200):
        b[i][j] = i ^ j
for i in range(0, 200):
    for j in range(0, 200):
        s = s + b[j][i]
c = [0]
for i in range(1, 3001):
    c.extend([None] * (i + 1 - len(c)))
    c[i] = c[i - 1] + i
print("arrays " + str(s) + " " + str(len(c) - 1) + " " + str(c[len(c) - 1]))
print("in-script seconds: %.3f" % (time.perf_counter() - t0))
