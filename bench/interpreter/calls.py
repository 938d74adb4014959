def inc(x):
    return x + 1

n = 0
for k in range(200000):
    n = inc(n)
print(n)
