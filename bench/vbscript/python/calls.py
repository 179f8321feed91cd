# Call overhead: the same work as calls.vbs, line for line. The ByRef parameter of Bump is a
# one-element list, Python's nearest to a variable passed by reference.
import time


def AddMul(a, b):
    return (a * 3 + b) % 10007


def Bump(x, d):
    x[0] = x[0] + d


def Fib(k):
    return k if k < 2 else Fib(k - 1) + Fib(k - 2)


n = 400000
t0 = time.perf_counter()
s = 0
r = [0]
for i in range(1, n + 1):
    s = AddMul(s, i)
    Bump(r, 1)
print("calls " + str(s) + " " + str(r[0]) + " " + str(Fib(20)))
print("in-script seconds: %.3f" % (time.perf_counter() - t0))
