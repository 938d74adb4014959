a = [[0] * 301 for _ in range(301)]
for i in range(1, 301):
    for j in range(1, 301):
        a[i][j] = i * j
s = 0
for i in range(1, 301):
    for j in range(1, 301):
        s = s + a[i][j]
print(s)
